#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace Lorvantic {

// Appends lines (each ending in CR LF, UTF-8) to a report file. Lines are gathered in memory
// and appended to the file in large pieces; the file holds every line once flush() has run,
// which the destructor does too. A piece that cannot be appended is lost, as a single line
// would be.
class PageWriter {
public:
    // Lines end in CR LF, or in LF alone where lineFeedOnly says so (the data formats).
    explicit PageWriter(QString path, bool lineFeedOnly = false);
    ~PageWriter();
    PageWriter(const PageWriter&) = delete;
    PageWriter& operator=(const PageWriter&) = delete;

    const QString& path() const { return m_path; }
    void AppendLine(const QString& text);
    // One data row as one line: the bytes of AppendLine(Page::DataRow(values) + tail), written
    // without building that text first (rows are the bulk of every page).
    void AppendRow(std::initializer_list<QStringView> values, QStringView tail = {});
    // One line of several pieces: the bytes of AppendLine(the pieces joined).
    void AppendJoined(std::initializer_list<QStringView> pieces);
    // Pieces of one line, and its end.
    void AppendText(QStringView text) { appendUtf8(text); }
    void AppendAscii(QByteArrayView bytes) { append(bytes); }
    void EndLine() { endLine(); }
    void flush() noexcept;
    // False once a piece could not be appended (a full disk, a file removed from under it).
    bool complete() const { return !m_lost; }

private:
    void endLine();
    // Room for bytes more at the end of the buffer.
    char* room(qsizetype bytes) {
        if (static_cast<std::size_t>(m_used + bytes) > m_buffer.size())
            grow(bytes);
        return m_buffer.data() + m_used;
    }
    void grow(qsizetype bytes);
    void append(QByteArrayView bytes) {
        std::memcpy(room(bytes.size()), bytes.data(), static_cast<std::size_t>(bytes.size()));
        m_used += bytes.size();
    }
    // Appends text unless it holds a surrogate (then nothing is appended).
    bool tryAppendUtf8(QStringView text);
    void appendUtf8(QStringView text);

    QString m_path;
    std::vector<char> m_buffer; // its first m_used bytes are the lines not yet in the file
    qsizetype m_used = 0;
    QByteArrayView m_lineEnd;
    bool m_lost = false;
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
// Row start, the values joined by the cell separator, row end: the text AppendRow writes.
QString DataRow(std::initializer_list<QString> values);
// Appends "<P><A NAME='db_name' HREF='#TOP'>Back to top</A></P>".
void AppendBackToTop(PageWriter& page, QStringView databaseName, QStringView name);
} // namespace Page

} // namespace Lorvantic
