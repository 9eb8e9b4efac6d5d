#pragma once

#include <QIcon>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <vector>

namespace Lorvantic {

// Small pictures of one size, addressed by key or by 1-based position, for the icons of a
// control (the sort marks of a list's column headers).
class ImageList : public QObject {
    Q_OBJECT
public:
    explicit ImageList(QObject* parent = nullptr);

    void add(const QString& key, const QPixmap& image);
    qint32 count() const;
    // 1-based; "" outside the list.
    QString key(qint32 index) const;
    // A null image or icon for an unknown key.
    QPixmap image(const QString& key) const;
    QIcon icon(const QString& key) const;

private:
    struct Entry {
        QString key;
        QPixmap image;
        QIcon icon;
    };
    const Entry* find(const QString& key) const;

    std::vector<Entry> m_entries;
};

} // namespace Lorvantic
