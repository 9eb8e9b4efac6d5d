#include "external/readers/jsonreader.h"

#include "model/error.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace Lorvantic::Olap {

namespace {

constexpr qint64 ChunkSize = qint64{256} * 1024;

// A small description needs no full chunk: allocating and releasing 256 KB per read is most of
// the time spent on a file of a few hundred bytes.
qint64 chunkSizeFor(const QIODevice& device) {
    if (device.isSequential())
        return ChunkSize;
    return std::clamp(device.size() - device.pos(), qint64{1}, ChunkSize);
}

// Bytes that stand for themselves inside a text: printable ASCII except '"' and '\'.
constexpr std::array<bool, 256> plainTextBytes() {
    std::array<bool, 256> plain{};
    for (int b = 0x20; b < 0x80; ++b)
        plain[static_cast<std::size_t>(b)] = b != '"' && b != '\\';
    return plain;
}
constexpr std::array<bool, 256> PlainTextByte = plainTextBytes();

enum Blank : char { NotBlank, Blank, LineFeed };
constexpr std::array<char, 256> blankBytes() {
    std::array<char, 256> blank{};
    blank[' '] = blank['\t'] = blank['\r'] = Blank;
    blank['\n'] = LineFeed;
    return blank;
}
constexpr std::array<char, 256> BlankByte = blankBytes();

bool isDigit(int c) {
    return c >= '0' && c <= '9';
}

bool isNumberByte(char c) {
    return isDigit(c) || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
}

int hexValue(int c) {
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
bool isJsonNumber(std::string_view s) {
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t start = i;
        while (i < s.size() && isDigit(s[i]))
            ++i;
        return i > start;
    };
    if (i < s.size() && s[i] == '-')
        ++i;
    if (i < s.size() && s[i] == '0')
        ++i;
    else if (!digits())
        return false;
    if (i < s.size() && s[i] == '.') {
        ++i;
        if (!digits())
            return false;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        if (!digits())
            return false;
    }
    return i == s.size();
}

QString hexDigits(unsigned value, int width) {
    return QString::number(value, 16).toUpper().rightJustified(width, u'0');
}

QString hexByte(unsigned char b) {
    return QStringLiteral("0x") + hexDigits(b, 2);
}

QString hexUnit(unsigned unit) {
    return hexDigits(unit, 4);
}

} // namespace

JsonReader::JsonReader(QIODevice& device, QString origin)
    : m_device(device)
    , m_origin(std::move(origin))
    , m_chunkSize(chunkSizeFor(device))
    , m_buffer(new char[static_cast<std::size_t>(m_chunkSize)]) {
    m_pos = m_end = m_buffer.get();
    m_containers.reserve(MaxDepth);
    refill();
    // A byte order mark is no character of the text.
    if (m_end - m_pos >= 3 && std::string_view(m_pos, 3) == "\xEF\xBB\xBF") {
        m_pos += 3;
        m_lineStart = 3;
    }
}

JsonReader::~JsonReader() = default;

bool JsonReader::refill() {
    m_bufferOffset += m_end - m_buffer.get();
    const qint64 read = m_device.read(m_buffer.get(), m_chunkSize);
    if (read < 0)
        throw Error(ErrorNumber::UnreadableDescription,
                    m_origin + QStringLiteral(": cannot be read (") + m_device.errorString() + u')');
    m_pos = m_buffer.get();
    m_end = m_pos + read;
    return read > 0;
}

bool JsonReader::atEnd() {
    return m_pos == m_end && !refill();
}

int JsonReader::nextByte() {
    if (atEnd())
        return -1;
    return static_cast<unsigned char>(*m_pos++);
}

TextPosition JsonReader::position() const {
    const qint64 offset = m_bufferOffset + (m_pos - m_buffer.get());
    return {m_line, offset - m_lineStart - m_extraLineBytes + 1};
}

// Indentation comes in long runs of spaces: pass them eight at a time.
void JsonReader::skipIndentation() {
    constexpr std::uint64_t EightSpaces = 0x2020202020202020;
    std::uint64_t word = 0;
    while (m_end - m_pos >= 8 && (std::memcpy(&word, m_pos, 8), word == EightSpaces))
        m_pos += 8;
}

void JsonReader::skipBlanks() {
    do {
        while (m_pos != m_end) {
            const char kind = BlankByte[static_cast<unsigned char>(*m_pos)];
            if (kind == NotBlank)
                return;
            ++m_pos;
            if (kind == LineFeed) {
                ++m_line;
                m_lineStart = m_bufferOffset + (m_pos - m_buffer.get());
                m_extraLineBytes = 0;
                skipIndentation();
            }
        }
    } while (refill());
}

void JsonReader::fail(const TextPosition& at, const QString& what) const {
    throw Error(ErrorNumber::BadDescription, m_origin + u':' + QString::number(at.line) + u':' +
                                                 QString::number(at.column) + QStringLiteral(": ") + what);
}

QString JsonReader::describeNext() {
    if (atEnd())
        return QStringLiteral("the end of the file");
    const auto c = static_cast<unsigned char>(*m_pos);
    if (c > 0x20 && c < 0x7F)
        return u'\'' + QLatin1Char(static_cast<char>(c)) + u'\'';
    return QStringLiteral("byte ") + hexByte(c);
}

void JsonReader::failUnexpected(const QString& expected) {
    skipBlanks();
    const TextPosition at = position();
    fail(at, QStringLiteral("expected ") + expected + QStringLiteral(", found ") + describeNext());
}

QString JsonReader::kindName(JsonKind kind) {
    switch (kind) {
    case JsonKind::Object:
        return QStringLiteral("an object");
    case JsonKind::Array:
        return QStringLiteral("a list");
    case JsonKind::String:
        return QStringLiteral("a text");
    case JsonKind::Number:
        return QStringLiteral("a number");
    case JsonKind::Bool:
        return QStringLiteral("true or false");
    case JsonKind::Null:
        return QStringLiteral("null");
    }
    return QString();
}

JsonKind JsonReader::peek() {
    skipBlanks();
    if (atEnd())
        fail(position(), QStringLiteral("the file ends where a value is expected"));
    switch (*m_pos) {
    case '{':
        return JsonKind::Object;
    case '[':
        return JsonKind::Array;
    case '"':
        return JsonKind::String;
    case 't':
    case 'f':
        return JsonKind::Bool;
    case 'n':
        return JsonKind::Null;
    default:
        if (*m_pos == '-' || isDigit(*m_pos))
            return JsonKind::Number;
        failUnexpected(QStringLiteral("a value"));
    }
}

TextPosition JsonReader::valuePosition() {
    skipBlanks();
    return position();
}

void JsonReader::expectByte(char wanted, const char* what) {
    skipBlanks();
    if (atEnd() || *m_pos != wanted)
        failUnexpected(QLatin1String(what));
    ++m_pos;
}

void JsonReader::push(char close) {
    skipBlanks();
    if (m_containers.size() >= MaxDepth)
        fail(position(), QStringLiteral("objects and lists are nested more than %1 deep").arg(MaxDepth));
    m_containers.push_back({close, true});
}

void JsonReader::beginObject() {
    push('}');
    expectByte('{', "'{'");
}

void JsonReader::beginArray() {
    push(']');
    expectByte('[', "'['");
}

bool JsonReader::nextInContainer(char close, const char* afterWhat) {
    Container& container = m_containers.back();
    skipBlanks();
    if (atEnd())
        fail(position(), close == '}' ? QStringLiteral("the file ends inside an object (missing '}')")
                                      : QStringLiteral("the file ends inside a list (missing ']')"));
    if (*m_pos == close) {
        ++m_pos;
        m_containers.pop_back();
        return false;
    }
    if (!container.first) {
        if (*m_pos != ',')
            failUnexpected(QStringLiteral("',' or '") + QLatin1Char(close) + QStringLiteral("' after ") +
                           QLatin1String(afterWhat));
        ++m_pos;
    }
    container.first = false;
    return true;
}

bool JsonReader::nextMember(std::string& name) {
    if (!nextInContainer('}', "a member"))
        return false;
    skipBlanks();
    if (atEnd() || *m_pos != '"')
        failUnexpected(QStringLiteral("a member name in double quotes"));
    m_memberPosition = position();
    name.clear();
    readStringInto<true>(name);
    expectByte(':', "':' after the member name");
    return true;
}

bool JsonReader::nextEntry() {
    return nextInContainer(']', "an entry");
}

template <bool Keep> void JsonReader::readStringInto(std::string& out) {
    const TextPosition start = position();
    ++m_pos; // the opening quote
    for (;;) {
        const char* plainEnd = m_pos;
        while (plainEnd != m_end && PlainTextByte[static_cast<unsigned char>(*plainEnd)])
            ++plainEnd;
        if constexpr (Keep)
            out.append(m_pos, plainEnd);
        m_pos = plainEnd;
        if (m_pos == m_end) {
            if (!refill())
                fail(start, QStringLiteral("the text that starts here has no closing '\"'"));
            continue;
        }
        const auto c = static_cast<unsigned char>(*m_pos);
        if (c == '"') {
            ++m_pos;
            return;
        }
        if (c == '\\')
            readEscape<Keep>(out);
        else if (c < 0x20)
            fail(position(), QStringLiteral("control character U+%1 inside a text (write it as an escape)")
                                 .arg(hexUnit(c)));
        else
            readMultiByte<Keep>(out);
    }
}

template <bool Keep> void JsonReader::readEscape(std::string& out) {
    const TextPosition at = position();
    ++m_pos; // the backslash
    const int escape = nextByte();
    char plain = 0;
    switch (escape) {
    case '"':
    case '\\':
    case '/':
        plain = static_cast<char>(escape);
        break;
    case 'b':
        plain = '\b';
        break;
    case 'f':
        plain = '\f';
        break;
    case 'n':
        plain = '\n';
        break;
    case 'r':
        plain = '\r';
        break;
    case 't':
        plain = '\t';
        break;
    case 'u': {
        char32_t cp = readHex4(at);
        if (cp >= 0xDC00 && cp <= 0xDFFF)
            fail(at, QStringLiteral("unpaired surrogate \\u%1 in a text").arg(hexUnit(cp)));
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            // A high surrogate counts only with the low one that follows it.
            if (nextByte() != '\\' || nextByte() != 'u')
                fail(at, QStringLiteral("unpaired surrogate \\u%1 in a text").arg(hexUnit(cp)));
            const unsigned low = readHex4(at);
            if (low < 0xDC00 || low > 0xDFFF)
                fail(at, QStringLiteral("unpaired surrogate \\u%1 in a text").arg(hexUnit(cp)));
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        }
        if constexpr (Keep)
            appendUtf8(out, cp);
        m_textIsAscii = m_textIsAscii && cp < 0x80;
        return;
    }
    case -1:
        fail(at, QStringLiteral("the file ends inside a text"));
    default:
        fail(at, QStringLiteral("invalid escape '\\%1' in a text")
                     .arg(escape > 0x20 && escape < 0x7F ? QString(QChar(escape))
                                                         : hexByte(static_cast<unsigned char>(escape))));
    }
    if constexpr (Keep)
        out.push_back(plain);
}

unsigned JsonReader::readHex4(const TextPosition& escapeAt) {
    unsigned unit = 0;
    for (int i = 0; i < 4; ++i) {
        const int digit = hexValue(nextByte());
        if (digit < 0)
            fail(escapeAt, QStringLiteral("invalid escape: \\u takes four hexadecimal digits"));
        unit = unit * 16 + static_cast<unsigned>(digit);
    }
    return unit;
}

template <bool Keep> void JsonReader::readMultiByte(std::string& out) {
    const TextPosition at = position();
    const auto lead = static_cast<unsigned char>(*m_pos++);
    // Well-formed sequences only: no overlong forms, no surrogates, nothing above U+10FFFF.
    int following = 0;
    int low = 0x80;
    int high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        following = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        following = 2;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        following = 3;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        fail(at, QStringLiteral("invalid UTF-8: byte %1 cannot start a character").arg(hexByte(lead)));
    }
    char bytes[4] = {static_cast<char>(lead)};
    for (int i = 1; i <= following; ++i) {
        const int b = nextByte();
        if (b < low || b > high)
            fail(at, QStringLiteral("invalid UTF-8: the character starting with byte %1 is malformed")
                         .arg(hexByte(lead)));
        bytes[i] = static_cast<char>(b);
        low = 0x80;
        high = 0xBF;
    }
    if constexpr (Keep)
        out.append(bytes, static_cast<std::size_t>(following) + 1);
    m_extraLineBytes += following;
    m_textIsAscii = false;
}

const std::string& JsonReader::readText() {
    skipBlanks();
    if (atEnd() || *m_pos != '"')
        failUnexpected(QStringLiteral("a text"));
    m_text.clear();
    m_textIsAscii = true;
    readStringInto<true>(m_text);
    return m_text;
}

QString JsonReader::readString() {
    const std::string& text = readText();
    if (text.empty())
        return QString();
    const auto size = static_cast<qsizetype>(text.size());
    return m_textIsAscii ? QString::fromLatin1(text.data(), size) : QString::fromUtf8(text.data(), size);
}

const std::string& JsonReader::readNumber() {
    skipBlanks();
    const TextPosition at = position();
    m_text.clear();
    while (!atEnd() && isNumberByte(*m_pos))
        m_text.push_back(*m_pos++);
    if (!isJsonNumber(m_text)) {
        constexpr std::size_t Shown = 40;
        const QString shown =
            QString::fromLatin1(m_text.data(), static_cast<qsizetype>(qMin(m_text.size(), Shown)));
        fail(at, QStringLiteral("invalid number ") + shown +
                     (m_text.size() > Shown ? QStringLiteral("...") : QString()));
    }
    return m_text;
}

void JsonReader::readLiteral(const char* word) {
    const TextPosition at = position();
    for (const char* c = word; *c; ++c)
        if (nextByte() != static_cast<unsigned char>(*c))
            fail(at, QStringLiteral("invalid word (expected true, false or null)"));
}

bool JsonReader::readBool() {
    skipBlanks();
    const bool value = !atEnd() && *m_pos == 't';
    readLiteral(value ? "true" : "false");
    return value;
}

void JsonReader::readNull() {
    skipBlanks();
    readLiteral("null");
}

void JsonReader::skipValue() {
    switch (peek()) {
    case JsonKind::Object:
        beginObject();
        while (nextMember(m_skipped))
            skipValue();
        break;
    case JsonKind::Array:
        beginArray();
        while (nextEntry())
            skipValue();
        break;
    case JsonKind::String:
        readStringInto<false>(m_skipped);
        break;
    case JsonKind::Number:
        readNumber();
        break;
    case JsonKind::Bool:
        readBool();
        break;
    case JsonKind::Null:
        readNull();
        break;
    }
}

void JsonReader::finish() {
    skipBlanks();
    if (!atEnd())
        fail(position(),
             QStringLiteral("unexpected ") + describeNext() + QStringLiteral(" after the end of the data"));
}

} // namespace Lorvantic::Olap
