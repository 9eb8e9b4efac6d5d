#pragma once

#include <QByteArray>
#include <QString>
#include <initializer_list>

namespace Lorvantic {

// Appends lines (each ending in CR LF, UTF-8) to a report file. Lines are gathered in memory
// and appended to the file in large pieces; the file holds every line once flush() has run,
// which the destructor does too. A piece that cannot be appended is lost, as a single line
// would be.
class PageWriter {
public:
    explicit PageWriter(QString path);
    ~PageWriter();
    PageWriter(const PageWriter&) = delete;
    PageWriter& operator=(const PageWriter&) = delete;

    const QString& path() const { return m_path; }
    void AppendLine(const QString& text);
    // One data row as one line: the bytes of AppendLine(Page::DataRow(values) + tail), written
    // without building that text first (rows are the bulk of every page).
    void AppendRow(std::initializer_list<QStringView> values, QStringView tail = {});
    void flush() noexcept;

private:
    void endLine();

    QString m_path;
    QByteArray m_pending;
};

// Row pieces every section uses.
namespace Page {
inline constexpr auto HeaderColour = "#AEAEAE";
inline constexpr auto RowColour = "yellow";
// "<TR bgcolor='yellow'><TD vAlign='top'>"
QString RowStart();
inline QString CellSeparator() {
    return QStringLiteral("</TD><TD valign='top'>");
}
inline QString RowEnd() {
    return QStringLiteral("</TD></TR>");
}
// Row start, the values joined by the cell separator, row end.
QString DataRow(std::initializer_list<QString> values);
// "<P><A NAME='db_name' HREF='#TOP'>Back to top</A></P>"
QString BackToTop(const QString& databaseName, const QString& name);
} // namespace Page

} // namespace Lorvantic
