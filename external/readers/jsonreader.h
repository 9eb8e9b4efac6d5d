#pragma once

// A pull reader over the UTF-8 bytes of a JSON text, read in chunks from a device. It knows the
// line and column of every token, so whoever interprets the values can point at the offending
// one. It builds no document: the caller asks for the next value and decides what to keep.

#include <QIODevice>
#include <QString>
#include <memory>
#include <string>
#include <vector>

namespace Lorvantic::Olap {

// 1-based; columns count characters, not bytes.
struct TextPosition {
    qint64 line = 1;
    qint64 column = 1;
};

enum class JsonKind { Object, Array, String, Number, Bool, Null };

class JsonReader {
public:
    // Containers nested deeper than this make the text invalid (and keep the stack bounded).
    static constexpr int MaxDepth = 64;

    // origin starts every error description, e.g. "Server 'x': /path/x.json".
    JsonReader(QIODevice& device, QString origin);
    ~JsonReader();
    JsonReader(const JsonReader&) = delete;
    JsonReader& operator=(const JsonReader&) = delete;

    // Skips blanks and tells what the next value is; fails on anything that cannot start one.
    JsonKind peek();
    // Where the next token starts (blanks skipped).
    TextPosition valuePosition();
    // Where the name returned by the last nextMember() started.
    TextPosition memberPosition() const { return m_memberPosition; }

    void beginObject();
    // Reads the next member's name (as UTF-8) and its colon; false at the end of the object.
    bool nextMember(std::string& name);
    void beginArray();
    // True when another entry follows; false at the end of the array.
    bool nextEntry();

    // The text's characters as UTF-8, escapes resolved; valid until the next read.
    const std::string& readText();
    // Whether the text last read by readText() is plain ASCII.
    bool textIsAscii() const { return m_textIsAscii; }
    // An empty text gives a null QString: nothing is allocated for it.
    QString readString();
    // The number as written; its syntax has been checked.
    const std::string& readNumber();
    bool readBool();
    void readNull();
    void skipValue();
    // After the top-level value only blanks may follow.
    void finish();

    // Raises Lorvantic::Error (the description is not valid) naming origin, line and column.
    [[noreturn]] void fail(const TextPosition& at, const QString& what) const;

    static QString kindName(JsonKind kind);

private:
    struct Container {
        char close;
        bool first;
    };

    bool atEnd();
    bool refill();
    int nextByte();
    TextPosition position() const;
    void skipBlanks();
    void skipIndentation();
    void expectByte(char wanted, const char* what);
    void push(char close);
    bool nextInContainer(char close, const char* afterWhat);
    template <bool Keep> void readStringInto(std::string& out);
    template <bool Keep> void readEscape(std::string& out);
    template <bool Keep> void readMultiByte(std::string& out);
    unsigned readHex4(const TextPosition& escapeAt);
    void readLiteral(const char* word);
    QString describeNext();
    [[noreturn]] void failUnexpected(const QString& expected);

    QIODevice& m_device;
    QString m_origin;
    qint64 m_chunkSize;
    std::unique_ptr<char[]> m_buffer;
    const char* m_pos = nullptr;
    const char* m_end = nullptr;
    qint64 m_bufferOffset = 0; // file offset of m_buffer[0]
    qint64 m_line = 1;
    qint64 m_lineStart = 0;      // file offset where the current line begins
    qint64 m_extraLineBytes = 0; // bytes beyond the first of the multi-byte characters read on this line
    std::vector<Container> m_containers;
    TextPosition m_memberPosition;
    std::string m_text;
    bool m_textIsAscii = true;
    std::string m_skipped;
};

} // namespace Lorvantic::Olap
