#include "external/readers/jsonreader.h"
#include "tests/schemas/schematest.h"

using namespace Lorvantic;
using namespace Lorvantic::Olap;

namespace {

// The reader's chunk size: the tests place characters across chunk boundaries.
constexpr qsizetype Chunk = 256 * 1024;

struct Outcome {
    QString failure; // error description, empty when the reading succeeded
    qint32 number = 0;
};

Outcome readWith(const QByteArray& bytes, const std::function<void(JsonReader&)>& read) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        JsonReader reader(buffer, QStringLiteral("T"));
        read(reader);
    } catch (const Error& e) {
        return {e.description(), e.number()};
    }
    return {};
}

void skipAll(JsonReader& reader) {
    reader.skipValue();
    reader.finish();
}

QString readString(const QByteArray& bytes) {
    QString text;
    const Outcome outcome = readWith(bytes, [&text](JsonReader& r) {
        text = r.readString();
        r.finish();
    });
    EXPECT_TRUE(outcome.failure.isEmpty()) << outcome.failure.toStdString();
    return text;
}

TEST(JsonReader, DecodesEveryKindOfStringContent) {
    const struct {
        QByteArray json;
        QString expected;
    } cases[] = {
        {R"("plain text")", QStringLiteral("plain text")},
        {R"("\"\\\/\b\f\n\r\t")", QStringLiteral("\"\\/\b\f\n\r\t")},
        {R"("caf\u00e9 \u20AC")", QStringLiteral(u"café €")},
        {R"("\uD83D\uDE00")", QStringLiteral(u"\U0001F600")},
        {"\"Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x98\x80\"", QStringLiteral(u"Zürich € \U0001F600")},
        {R"("a\u0000b")", QString(reinterpret_cast<const QChar*>(u"a\0b"), 3)},
        {R"("[Sales].[Measures].[Profit] AS '[Measures].[A]-[Measures].[B]'")",
         QStringLiteral("[Sales].[Measures].[Profit] AS '[Measures].[A]-[Measures].[B]'")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readString(c.json), c.expected) << c.json.constData();
    EXPECT_TRUE(readString(R"("")").isNull());
}

// Position "T:line:column" and what the description must say.
struct BadText {
    QByteArray json;
    const char* position;
    const char* message;
};

TEST(JsonReader, RejectsBadTextWithItsPosition) {
    const BadText cases[] = {
        // Texts
        {"[\"a\tb\"]", "T:1:4", "control character U+0009 inside a text"},
        {"[\"a\nb\"]", "T:1:4", "control character U+000A"},
        {R"(["a\xb"])", "T:1:4", "invalid escape '\\x'"},
        {R"(["\uDE00"])", "T:1:3", "unpaired surrogate \\uDE00"},
        {R"(["\uD83Dx"])", "T:1:3", "unpaired surrogate \\uD83D"},
        {R"(["\uD83D\u0041"])", "T:1:3", "unpaired surrogate \\uD83D"},
        {R"(["\u12G4"])", "T:1:3", "invalid escape: \\u takes four hexadecimal digits"},
        {"[\"ab\xFF\"]", "T:1:5", "invalid UTF-8: byte 0xFF cannot start a character"},
        {"[\"\xC3(\"]", "T:1:3", "invalid UTF-8: the character starting with byte 0xC3 is malformed"},
        {"[\"\xC0\xAF\"]", "T:1:3", "invalid UTF-8: byte 0xC0"},
        {"[\"\xE0\x80\xAF\"]", "T:1:3", "invalid UTF-8: the character starting with byte 0xE0"},
        {"[\"\xED\xA0\x80\"]", "T:1:3", "invalid UTF-8: the character starting with byte 0xED"},
        {"[\"\xF4\x90\x80\x80\"]", "T:1:3", "invalid UTF-8: the character starting with byte 0xF4"},
        {"[\"\xC3\xA4\xBF\"]", "T:1:4", "invalid UTF-8: byte 0xBF"},
        {"[\"\xE2\x82", "T:1:3", "invalid UTF-8"},
        {"[\"abc", "T:1:2", "the text that starts here has no closing '\"'"},
        // Structure
        {"", "T:1:1", "the file ends where a value is expected"},
        {"[1 2]", "T:1:4", "expected ',' or ']' after an entry, found '2'"},
        {"[1,]", "T:1:4", "expected a value, found ']'"},
        {"[,1]", "T:1:2", "expected a value, found ','"},
        {R"({"a" 1})", "T:1:6", "expected ':' after the member name, found '1'"},
        {R"({"a":1,})", "T:1:8", "expected a member name in double quotes, found '}'"},
        {R"({"a":1 "b":2})", "T:1:8", "expected ',' or '}' after a member, found '\"'"},
        {"{1:2}", "T:1:2", "expected a member name in double quotes, found '1'"},
        {"[\n  1,\n  2", "T:3:4", "the file ends inside a list (missing ']')"},
        {"{\"a\": [1]", "T:1:10", "the file ends inside an object (missing '}')"},
        {"[tru]", "T:1:2", "invalid word"},
        {"[nul]", "T:1:2", "invalid word"},
        {"[True]", "T:1:2", "expected a value, found 'T'"},
        {"[] x", "T:1:4", "unexpected 'x' after the end of the data"},
        {"[]\n\n  ]", "T:3:3", "unexpected ']'"},
        {"[\xC3\xA4]", "T:1:2", "expected a value, found byte 0xC3"},
        // Columns count characters, lines count line feeds
        {"[\"\xC3\xA4\xC3\xB6\xC3\xBC\", \"\xE2\x82\xAC\", \"\xF0\x9F\x98\x80\", x]", "T:1:19",
         "expected a value"},
        {"[\r\n1,\r\n x]", "T:3:2", "expected a value, found 'x'"},
        {"\n\n\t\tx", "T:3:3", "expected a value"},
        {"\xEF\xBB\xBF[x]", "T:1:2", "expected a value, found 'x'"},
        {R"(["\u00e9\u00e9", x])", "T:1:18", "expected a value"},
    };
    for (const BadText& c : cases) {
        const Outcome outcome = readWith(c.json, skipAll);
        EXPECT_EQ(outcome.number, ErrorNumber::BadDescription) << c.json.toStdString();
        const QString expected =
            QLatin1String(c.position) + QStringLiteral(": ") + QString::fromUtf8(c.message);
        EXPECT_TRUE(outcome.failure.startsWith(expected))
            << c.json.toStdString() << "\n  got:      " << outcome.failure.toStdString()
            << "\n  expected: " << expected.toStdString();
    }
}

TEST(JsonReader, ChecksNumberSyntax) {
    for (const char* valid :
         {"0", "-0", "12", "1.5", "1e3", "1E+3", "-1.25e-2", "123456789012345678901234567890"}) {
        std::string read;
        const Outcome outcome = readWith(valid, [&read](JsonReader& r) { read = r.readNumber(); });
        EXPECT_TRUE(outcome.failure.isEmpty()) << valid << ": " << outcome.failure.toStdString();
        EXPECT_EQ(read, valid);
    }
    for (const char* invalid : {"01", "-", "1.", "1.e3", "1e", "1e+", "--1", "1.2.3", "-01", "1-2"}) {
        const Outcome outcome = readWith(QByteArray("[") + invalid + "]", skipAll);
        EXPECT_TRUE(
            outcome.failure.startsWith(QStringLiteral("T:1:2: invalid number ") + QLatin1String(invalid)))
            << invalid << ": " << outcome.failure.toStdString();
    }
    for (const char* notNumbers : {"+1", ".5", "NaN", "Infinity"}) {
        const Outcome outcome = readWith(QByteArray("[") + notNumbers + "]", skipAll);
        EXPECT_TRUE(outcome.failure.startsWith(QStringLiteral("T:1:2: expected a value"))) << notNumbers;
    }
}

TEST(JsonReader, LimitsNestingWithoutExhaustingTheStack) {
    const auto nested = [](qsizetype depth) -> QByteArray {
        return QByteArray(depth, '[') + QByteArray(depth, ']');
    };
    EXPECT_EQ(JsonReader::MaxDepth, 64);
    EXPECT_TRUE(readWith(nested(JsonReader::MaxDepth), skipAll).failure.isEmpty());
    const QString expected = QStringLiteral("T:1:%1: objects and lists are nested more than %2 deep")
                                 .arg(JsonReader::MaxDepth + 1)
                                 .arg(JsonReader::MaxDepth);
    EXPECT_EQ(readWith(nested(JsonReader::MaxDepth + 1), skipAll).failure, expected);
    EXPECT_EQ(readWith(QByteArray(1'000'000, '['), skipAll).failure, expected);
    EXPECT_TRUE(readWith(QByteArray(R"({"a":)").repeated(1'000'000), skipAll)
                    .failure.contains(QStringLiteral("nested more than")));
}

TEST(JsonReader, ReadsAndPlacesTokensAcrossChunkBoundaries) {
    const QString tail = QStringLiteral(u"é€\U0001F600é\"\\");
    for (qsizetype shift = 0; shift < 12; ++shift) {
        const QByteArray lead(Chunk - 8 + shift, 'a');
        const QByteArray json = '"' + lead + "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\\u00e9\\\"\\\\\"";
        EXPECT_EQ(readString(json), QString::fromLatin1(lead) + tail) << "shift " << shift;
    }
    for (qsizetype shift = 0; shift < 8; ++shift) {
        std::string number;
        const QByteArray json = QByteArray(Chunk - 4 + shift, ' ') + "-12.5e+3";
        readWith(json, [&number](JsonReader& r) { number = r.readNumber(); });
        EXPECT_EQ(number, "-12.5e+3") << "shift " << shift;
    }
    // A line far longer than a chunk, with multi-byte characters on both sides of the boundary.
    const QByteArray longText =
        QByteArray(Chunk / 2, 'a') + QByteArray(Chunk / 2, 'a').replace("aa", "\xC3\xA4");
    const QByteArray json = "[\n\"" + longText + "\", x]";
    const qsizetype characters = Chunk / 2 + Chunk / 4;
    const Outcome outcome = readWith(json, skipAll);
    EXPECT_EQ(outcome.failure, QStringLiteral("T:2:%1: expected a value, found 'x'").arg(characters + 5));
}

TEST(JsonReader, WalksObjectsAndListsMemberByMember) {
    const QByteArray json = R"( { "a" : [1, "two", true, null, {"x": [[]]}], "b\u00e9": false, "c": {} } )";
    std::vector<std::string> names;
    int entries = 0;
    const Outcome outcome = readWith(json, [&](JsonReader& r) {
        EXPECT_EQ(r.peek(), JsonKind::Object);
        r.beginObject();
        std::string name;
        while (r.nextMember(name)) {
            names.push_back(name);
            if (name == "a") {
                r.beginArray();
                while (r.nextEntry()) {
                    ++entries;
                    r.skipValue();
                }
            } else if (name == "c") {
                r.skipValue();
            } else {
                EXPECT_EQ(r.memberPosition().column, 47);
                EXPECT_FALSE(r.readBool());
            }
        }
        r.finish();
    });
    EXPECT_TRUE(outcome.failure.isEmpty()) << outcome.failure.toStdString();
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b\xC3\xA9", "c"}));
    EXPECT_EQ(entries, 5);
}

} // namespace
