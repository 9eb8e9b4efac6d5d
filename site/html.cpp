#include "site/html.h"

#include "model/error.h"
#include "site/site.h"

namespace Lorvantic::Site {

namespace Html {

namespace {

constexpr char16_t ControlPictures = 0x2400;
constexpr char16_t DeletePicture = 0x2421;

void appendEscaped(QString& out, QChar c) {
    switch (c.unicode()) {
    case u'&':
        out += u"&amp;";
        return;
    case u'<':
        out += u"&lt;";
        return;
    case u'>':
        out += u"&gt;";
        return;
    case u'"':
        out += u"&quot;";
        return;
    case u'\'':
        out += u"&#39;";
        return;
    case u'\t':
    case u'\n':
        out += c;
        return;
    case 0x7f:
        out += QChar(DeletePicture);
        return;
    default:
        out += c.unicode() < 0x20 ? QChar(char16_t(ControlPictures + c.unicode())) : c;
    }
}

} // namespace

QString Text(QStringView text) {
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
        } else if (c.isSurrogate()) {
            out += QChar::ReplacementCharacter;
        } else {
            appendEscaped(out, c);
        }
    }
    return out;
}

QString Link(const QString& href, QStringView text) {
    return u"<a href=\"" + Text(href) + u"\">" + Text(text) + u"</a>";
}

void FinishFile(PageWriter& file) {
    file.flush();
    if (!file.complete())
        throw Error(SiteNotWritten, QStringLiteral("cannot write %1 completely").arg(file.path()));
}

} // namespace Html

SitePage::SitePage(const QString& path, QStringView title, const QStringList& trail)
    : m_page(path, true) {
    m_page.AppendLine(QStringLiteral("<!DOCTYPE html>"));
    m_page.AppendLine(QStringLiteral("<html lang=\"en\">"));
    m_page.AppendLine(QStringLiteral("<head><meta charset=\"utf-8\">"));
    m_page.AppendLine(
        QStringLiteral("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"));
    m_page.AppendLine(u"<title>" + Html::Text(title) + u"</title>");
    m_page.AppendLine(QStringLiteral("<link rel=\"icon\" href=\"data:,\">"));
    m_page.AppendLine(QStringLiteral("<link rel=\"stylesheet\" href=\"site.css\"></head>"));
    m_page.AppendLine(QStringLiteral("<body><header>"));
    if (!trail.isEmpty())
        m_page.AppendLine(u"<nav aria-label=\"Trail\">" + trail.join(QStringLiteral(" / ")) + u"</nav>");
    m_page.AppendLine(QStringLiteral(
        "<div class=\"search\" role=\"search\"><label for=\"search\">Search</label> "
        "<input type=\"search\" id=\"search\" autocomplete=\"off\" spellcheck=\"false\" "
        "placeholder=\"cube, dimension, level, measure, role, user\" aria-controls=\"hits\">"));
    m_page.AppendLine(QStringLiteral("<ul id=\"hits\" role=\"listbox\" hidden></ul></div>"));
    m_page.AppendLine(QStringLiteral("</header><main>"));
    Heading(1, title);
}

void SitePage::Finish() {
    m_page.AppendLine(QStringLiteral("</main>"));
    m_page.AppendLine(QStringLiteral("<script src=\"search-index.js\"></script>"));
    m_page.AppendLine(QStringLiteral("<script src=\"search.js\"></script>"));
    m_page.AppendLine(QStringLiteral("</body></html>"));
    Html::FinishFile(m_page);
}

void SitePage::Heading(int level, QStringView text, QStringView id) {
    const QString tag = u'h' + QString::number(level);
    const QString idAttribute = id.isEmpty() ? QString() : QString(u" id=\"" + Html::Text(id) + u'"');
    m_page.AppendLine(u'<' + tag + idAttribute + u'>' + Html::Text(text) + u"</" + tag + u'>');
}

void SitePage::TableStart(QStringView caption, const QStringList& headings, QStringView frameClass) {
    m_page.AppendLine(u"<div class=\"frame" +
                      (frameClass.isEmpty() ? QString() : QString(u' ' + frameClass)) + u"\"><table>");
    m_page.AppendLine(u"<caption>" + Html::Text(caption) + u"</caption>");
    QString head = QStringLiteral("<thead><tr>");
    for (const QString& heading : headings)
        head += u"<th scope=\"col\">" + heading + u"</th>";
    m_page.AppendLine(head + u"</tr></thead><tbody>");
}

void SitePage::Row(const QStringList& cells, QStringView id) {
    QString row = id.isEmpty() ? QStringLiteral("<tr>") : QString(u"<tr id=\"" + Html::Text(id) + u"\">");
    for (qsizetype i = 0; i < cells.size(); ++i)
        row += i == 0 ? QString(u"<th scope=\"row\">" + cells.at(i) + u"</th>")
                      : QString(u"<td>" + cells.at(i) + u"</td>");
    m_page.AppendLine(row + u"</tr>");
}

void SitePage::TableEnd() {
    m_page.AppendLine(QStringLiteral("</tbody></table></div>"));
}

void SitePage::Paragraph(const QString& html) {
    if (!html.isEmpty())
        m_page.AppendLine(u"<p>" + html + u"</p>");
}

} // namespace Lorvantic::Site
