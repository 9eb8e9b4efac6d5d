#include "diff/difftext.h"

namespace Lorvantic::Diff {

using namespace Qt::StringLiterals;

QString Quoted(QStringView text) {
    QString quoted;
    quoted.reserve(text.size() + 2);
    quoted += u'"';
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'"':
            quoted += u"\\\""_s;
            break;
        case u'\\':
            quoted += u"\\\\"_s;
            break;
        case u'\n':
            quoted += u"\\n"_s;
            break;
        case u'\r':
            quoted += u"\\r"_s;
            break;
        case u'\t':
            quoted += u"\\t"_s;
            break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                quoted += u"\\x%1"_s.arg(static_cast<int>(c.unicode()), 2, 16, QChar(u'0'));
            else
                quoted += c;
        }
    }
    quoted += u'"';
    return quoted;
}

QString ChangeLine(const Change& change) {
    static constexpr char16_t marks[] = {u'+', u'-', u'~'};
    QString line{QChar(marks[change.type])};
    line +=
        u" "_s + ItemNoun(change.kind) + u" "_s + Quoted(change.item) + u" in "_s + Quoted(change.database);
    for (std::size_t i = 0; i < change.parts.size(); ++i)
        line += (i == 0 ? u": "_s : u" "_s) + change.parts[i].noun + u" "_s + Quoted(change.parts[i].name);
    if (change.type == Change::Changed)
        line += u": "_s + change.value + u" "_s + Quoted(change.oldText) + u" -> "_s + Quoted(change.newText);
    return line;
}

QString DiffText(const std::vector<Change>& changes) {
    if (changes.empty())
        return u"no differences\n"_s;
    QString text;
    for (const Change& change : changes)
        text += ChangeLine(change) + u'\n';
    return text;
}

} // namespace Lorvantic::Diff
