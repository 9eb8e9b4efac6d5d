#include "dialogs/imagelist.h"

#include <algorithm>

namespace Lorvantic {

ImageList::ImageList(QObject* parent)
    : QObject(parent) {}

void ImageList::add(const QString& key, const QPixmap& image) {
    // One icon per image, made once, so that every use shares it (and its cache key).
    m_entries.push_back(Entry{key, image, QIcon(image)});
}

qint32 ImageList::count() const {
    return static_cast<qint32>(m_entries.size());
}

QString ImageList::key(qint32 index) const {
    if (index < 1 || index > count())
        return QString();
    return m_entries[static_cast<std::size_t>(index - 1)].key;
}

QPixmap ImageList::image(const QString& key) const {
    const Entry* entry = find(key);
    return entry ? entry->image : QPixmap();
}

QIcon ImageList::icon(const QString& key) const {
    const Entry* entry = find(key);
    return entry ? entry->icon : QIcon();
}

const ImageList::Entry* ImageList::find(const QString& key) const {
    const auto it =
        std::find_if(m_entries.begin(), m_entries.end(), [&key](const Entry& e) { return e.key == key; });
    return it == m_entries.end() ? nullptr : &*it;
}

} // namespace Lorvantic
