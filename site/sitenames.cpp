#include "site/sitenames.h"

#include <QCryptographicHash>

namespace Lorvantic::Site {

namespace {

constexpr qsizetype MaxSlug = 40;

QString slugOf(QStringView name) {
    QString slug;
    bool pendingDash = false;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        const bool plain = (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z');
        if (!plain) {
            pendingDash = !slug.isEmpty();
            continue;
        }
        if (slug.size() + (pendingDash ? 2 : 1) > MaxSlug)
            break;
        if (pendingDash)
            slug += u'-';
        pendingDash = false;
        slug += c.toLower();
    }
    return slug;
}

QString hashOf(QStringView kind, QStringView database, QStringView name) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QStringView part : {kind, database, name}) {
        hash.addData(part.toUtf8());
        hash.addData(QByteArrayView("\0", 1));
    }
    return QString::fromLatin1(hash.result().toHex().left(12));
}

} // namespace

QString PageFileName(QStringView kind, QStringView database, QStringView name) {
    const QString slug = slugOf(name);
    return kind + u'-' + (slug.isEmpty() ? QString() : slug + u'-') + hashOf(kind, database, name) +
           QStringLiteral(".html");
}

} // namespace Lorvantic::Site
