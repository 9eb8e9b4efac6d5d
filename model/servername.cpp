#include "model/servername.h"

namespace Lorvantic::Olap {

bool IsXmlaServerName(const QString& name) {
    return name.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           name.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

// By hand rather than through QUrl, so that a name QUrl would refuse or rewrite still loses only
// its password.
QString DisplayServerName(const QString& name) {
    if (!IsXmlaServerName(name))
        return name;
    const qsizetype start = name.indexOf(QLatin1String("://")) + 3;
    qsizetype end = start;
    while (end < name.size() && name[end] != u'/' && name[end] != u'?' && name[end] != u'#')
        ++end;
    const qsizetype at = name.lastIndexOf(u'@', end - 1);
    if (at < start)
        return name;
    const qsizetype colon = name.indexOf(u':', start);
    if (colon < 0 || colon > at)
        return name;
    return name.left(colon) + name.mid(at);
}

} // namespace Lorvantic::Olap
