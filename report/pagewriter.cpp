#include "pagewriter.h"

#include "reportfile.h"

#include <algorithm>
#include <iterator>

namespace Lorvantic {

namespace {
constexpr qsizetype FlushThreshold = 1 << 18;

// Appends text as UTF-8 straight into the buffer. Surrogates (rare in page text) take the
// general conversion for the whole text, so the bytes are always those of toUtf8().
void appendUtf8(QByteArray& buffer, QStringView text) {
    const qsizetype start = buffer.size();
    buffer.resize(start + 3 * text.size());
    auto* out = reinterpret_cast<uchar*>(buffer.data() + start);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            *out++ = static_cast<uchar>(u);
        } else if (u < 0x800) {
            *out++ = static_cast<uchar>(0xC0 | (u >> 6));
            *out++ = static_cast<uchar>(0x80 | (u & 0x3F));
        } else if (!c.isSurrogate()) {
            *out++ = static_cast<uchar>(0xE0 | (u >> 12));
            *out++ = static_cast<uchar>(0x80 | ((u >> 6) & 0x3F));
            *out++ = static_cast<uchar>(0x80 | (u & 0x3F));
        } else {
            buffer.resize(start);
            buffer += text.toUtf8();
            return;
        }
    }
    buffer.resize(reinterpret_cast<char*>(out) - buffer.constData());
}
} // namespace

PageWriter::PageWriter(QString path)
    : m_path(std::move(path)) {
    m_pending.reserve(2 * FlushThreshold);
}

PageWriter::~PageWriter() {
    flush();
}

void PageWriter::AppendLine(const QString& text) {
    appendUtf8(m_pending, text);
    endLine();
}

// Values are separated by ASCII pieces, so converting them one by one gives the bytes of
// converting the joined line.
void PageWriter::AppendRow(std::initializer_list<QStringView> values, QStringView tail) {
    static const QByteArray start = Page::RowStart().toUtf8();
    static const QByteArray separator = Page::CellSeparator().toUtf8();
    static const QByteArray end = Page::RowEnd().toUtf8();
    m_pending += start;
    bool first = true;
    for (const QStringView value : values) {
        if (!first)
            m_pending += separator;
        appendUtf8(m_pending, value);
        first = false;
    }
    m_pending += end;
    appendUtf8(m_pending, tail);
    endLine();
}

void PageWriter::endLine() {
    m_pending += "\r\n";
    if (m_pending.size() >= FlushThreshold)
        flush();
}

void PageWriter::flush() noexcept {
    if (m_pending.isEmpty())
        return;
    AppendBytes(m_path, m_pending);
    m_pending.resize(0); // keeps the buffer for the next piece
}

namespace Page {

QString RowStart() {
    static const QString start =
        QStringLiteral("<TR bgcolor='") + QLatin1String(RowColour) + QStringLiteral("'><TD vAlign='top'>");
    return start;
}

QString DataRow(std::initializer_list<QString> values) {
    static const QString start = RowStart();
    static const QString separator = CellSeparator();
    static const QString end = RowEnd();
    // One allocation per row: rows are the bulk of every page.
    qsizetype length =
        start.size() + end.size() + separator.size() * std::max<qsizetype>(0, std::ssize(values) - 1);
    for (const QString& value : values)
        length += value.size();
    QString row;
    row.reserve(length);
    row += start;
    bool first = true;
    for (const QString& value : values) {
        if (!first)
            row += separator;
        row += value;
        first = false;
    }
    row += end;
    return row;
}

QString BackToTop(const QString& databaseName, const QString& name) {
    return QStringLiteral("<P><A NAME='") + databaseName + u'_' + name +
           QStringLiteral("' HREF='#TOP'>Back to top</A></P>");
}

} // namespace Page

} // namespace Lorvantic
