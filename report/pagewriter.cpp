#include "report/pagewriter.h"

#include "report/reportfile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Lorvantic {

namespace {
constexpr qsizetype FlushThreshold = 1 << 18;

// Copies the ASCII code units from in on as bytes to out, stopping before the first other one
// or a few units before the end; advances out and returns where it stopped.
const char16_t* copyAscii(const char16_t* in, const char16_t* end, uchar*& out) {
#if defined(__SSE2__)
    while (end - in >= 8) {
        // Packing saturates each unit, read as signed, to 0..255: a byte from 1 to 0x7F is an
        // ASCII unit, 0 may be a unit from 0x8000 up (NUL takes the slow road).
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        const __m128i bytes = _mm_packus_epi16(units, units);
        const __m128i ascii = _mm_cmpgt_epi8(bytes, _mm_setzero_si128());
        if ((_mm_movemask_epi8(ascii) & 0xFF) != 0xFF)
            break;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out), bytes);
        in += 8;
        out += 8;
    }
#endif
    constexpr std::uint64_t NonAscii = 0xFF80FF80FF80FF80;
    std::uint64_t four = 0;
    while (end - in >= 4 && (std::memcpy(&four, in, sizeof four), (four & NonAscii) == 0)) {
        for (int i = 0; i < 4; ++i)
            out[i] = static_cast<uchar>(in[i]);
        in += 4;
        out += 4;
    }
    return in;
}

// Writes text as UTF-8 at out (room for three bytes per code unit) and returns the end. Runs of
// ASCII, the bulk of every page, go several code units at a time. Returns nullptr at a surrogate
// (rare in page text): the caller then converts the whole text the general way, so the bytes
// are always those of toUtf8().
uchar* writeUtf8(QStringView text, uchar* out) {
    const char16_t* in = text.utf16();
    const char16_t* const end = in + text.size();
    while (in != end) {
        in = copyAscii(in, end, out);
        if (in == end)
            break;
        const char16_t u = *in++;
        if (u < 0x80) {
            *out++ = static_cast<uchar>(u);
        } else if (u < 0x800) {
            *out++ = static_cast<uchar>(0xC0 | (u >> 6));
            *out++ = static_cast<uchar>(0x80 | (u & 0x3F));
        } else if (!QChar::isSurrogate(u)) {
            *out++ = static_cast<uchar>(0xE0 | (u >> 12));
            *out++ = static_cast<uchar>(0x80 | ((u >> 6) & 0x3F));
            *out++ = static_cast<uchar>(0x80 | (u & 0x3F));
        } else {
            return nullptr;
        }
    }
    return out;
}
} // namespace

PageWriter::PageWriter(QString path, bool lineFeedOnly)
    : m_path(std::move(path))
    , m_lineEnd(lineFeedOnly ? "\n" : "\r\n") {
    m_buffer.resize(2 * FlushThreshold);
}

PageWriter::~PageWriter() {
    flush();
}

void PageWriter::grow(qsizetype bytes) {
    m_buffer.resize(std::max(2 * m_buffer.size(), static_cast<std::size_t>(m_used + bytes)));
}

bool PageWriter::tryAppendUtf8(QStringView text) {
    auto* const start = reinterpret_cast<uchar*>(room(3 * text.size()));
    uchar* const end = writeUtf8(text, start);
    if (!end)
        return false;
    m_used += end - start;
    return true;
}

void PageWriter::appendUtf8(QStringView text) {
    if (!tryAppendUtf8(text))
        append(text.toUtf8());
}

void PageWriter::AppendLine(const QString& text) {
    appendUtf8(text);
    endLine();
}

// Values are separated by ASCII pieces, so converting them one by one gives the bytes of
// converting the joined line.
void PageWriter::AppendRow(std::initializer_list<QStringView> values, QStringView tail) {
    static const QByteArray start = Page::RowStart().toUtf8();
    static const QByteArray separator = Page::CellSeparator().toUtf8();
    static const QByteArray end = Page::RowEnd().toUtf8();
    append(start);
    bool first = true;
    for (const QStringView value : values) {
        if (!first)
            append(separator);
        appendUtf8(value);
        first = false;
    }
    append(end);
    appendUtf8(tail);
    endLine();
}

// A surrogate in one piece may pair with one in the next: then the joined text is converted.
void PageWriter::AppendJoined(std::initializer_list<QStringView> pieces) {
    const qsizetype lineStart = m_used;
    for (const QStringView piece : pieces) {
        if (!tryAppendUtf8(piece)) {
            m_used = lineStart;
            QString joined;
            for (const QStringView part : pieces)
                joined += part;
            append(joined.toUtf8());
            break;
        }
    }
    endLine();
}

void PageWriter::endLine() {
    append(m_lineEnd);
    if (m_used >= FlushThreshold)
        flush();
}

void PageWriter::flush() noexcept {
    if (m_used == 0)
        return;
    m_lost = !AppendBytes(m_path, QByteArray::fromRawData(m_buffer.data(), m_used)) || m_lost;
    m_used = 0; // keeps the buffer for the next piece
}

namespace Page {

QString RowStart() {
    return QStringLiteral("<TR bgcolor='") + QLatin1String(RowColour) + QStringLiteral("'><TD vAlign='top'>");
}

QString DataRow(std::initializer_list<QString> values) {
    QString row = RowStart();
    bool first = true;
    for (const QString& value : values) {
        if (!first)
            row += CellSeparator();
        row += value;
        first = false;
    }
    return row + RowEnd();
}

void AppendBackToTop(PageWriter& page, QStringView databaseName, QStringView name) {
    page.AppendJoined({u"<P><A NAME='", databaseName, u"_", name, u"' HREF='#TOP'>Back to top</A></P>"});
}

} // namespace Page

} // namespace Lorvantic
