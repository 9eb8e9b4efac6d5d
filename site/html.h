#pragma once

// The one place where text becomes HTML: every name, description and value the server gives goes
// through Html::Text before it reaches a page, and a page is written only through SitePage.

#include "report/pagewriter.h"

#include <QString>
#include <QStringList>
#include <QStringView>

namespace Lorvantic::Site {

namespace Html {
// The text as HTML character data, also fit for a quoted attribute: '&', '<', '>', '"' and '\''
// become references; control characters other than tab and line feed become their visible
// pictures (U+2400...), and a lone surrogate U+FFFD, so no character of the name is lost
// silently.
QString Text(QStringView text);
// <a href="HREF">TEXT</a>, both escaped.
QString Link(const QString& href, QStringView text);
// Writes what is left; raises Lorvantic::Error when any of the file was lost, so that a site
// never replaces another with pages cut short.
void FinishFile(PageWriter& file);
} // namespace Html

// One page of the site: its frame (head with the stylesheet, the trail of links back to the
// server, the search box), the lines in between, and the end with the search scripts.
class SitePage {
public:
    // trail: link HTML (made with Html::Link) from the server down to the page's parent.
    SitePage(const QString& path, QStringView title, const QStringList& trail);
    ~SitePage() = default;
    SitePage(const SitePage&) = delete;
    SitePage& operator=(const SitePage&) = delete;

    // One line of ready HTML.
    void Line(const QString& html) { m_page.AppendLine(html); }
    void Heading(int level, QStringView text, QStringView id = {});
    // A table: caption, column headings (<th scope="col">); each row's first cell is its header
    // (<th scope="row">). Cells are ready HTML.
    void TableStart(QStringView caption, const QStringList& headings, QStringView frameClass = {});
    void Row(const QStringList& cells, QStringView id = {});
    void TableEnd();
    // <p>TEXT</p> of ready HTML, or nothing when it is empty.
    void Paragraph(const QString& html);
    // Ends the page and writes what is left; raises Lorvantic::Error when any of it was lost.
    void Finish();

private:
    PageWriter m_page;
};

} // namespace Lorvantic::Site
