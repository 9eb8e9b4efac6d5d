#include "external/readers/jsonreader.h"
#include "tests/schemas/cases.h"
#include "tests/schemas/schematest.h"

using namespace Lorvantic;
using namespace Lorvantic::Olap;
using namespace Lorvantic::Test;
using namespace Qt::StringLiterals;

namespace {

// The reader's chunk size: the tests place characters across chunk boundaries.
constexpr qsizetype Chunk = 256 * 1024;

Failure readWith(const QByteArray& bytes, const std::function<void(JsonReader&)>& read) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return failureOf([&] {
        JsonReader reader(buffer, QStringLiteral("T"));
        read(reader);
    });
}

void skipAll(JsonReader& reader) {
    reader.skipValue();
    reader.finish();
}

QString readString(const QByteArray& bytes) {
    QString text;
    const Failure outcome = readWith(bytes, [&text](JsonReader& r) {
        text = r.readString();
        r.finish();
    });
    EXPECT_TRUE(outcome.description.isEmpty()) << outcome.description.toStdString();
    return text;
}

// The cases: tests/data/external/json-strings.txt and json-bad.txt.
TEST(JsonReader, DecodesEveryKindOfStringContent) {
    for (const Case& c : cases(u"external/json-strings.txt"_s))
        EXPECT_EQ(readString(c[0]), text(c[1])) << c[0].toStdString();
    EXPECT_TRUE(readString(R"("")").isNull());
}

TEST(JsonReader, RejectsBadTextWithItsPosition) {
    for (const Case& c : cases(u"external/json-bad.txt"_s)) {
        const Failure outcome = readWith(c[0], skipAll);
        EXPECT_EQ(outcome.number, ErrorNumber::BadDescription) << c[0].toStdString();
        const QString expected = text(c[1]) + u": "_s + text(c[2]);
        EXPECT_TRUE(outcome.description.startsWith(expected))
            << c[0].toStdString() << "\n  got:      " << outcome.description.toStdString()
            << "\n  expected: " << expected.toStdString();
    }
    for (const char* valid :
         {"0", "-0", "12", "1.5", "1e3", "1E+3", "-1.25e-2", "123456789012345678901234567890"}) {
        std::string read;
        EXPECT_TRUE(readWith(valid, [&read](JsonReader& r) { read = r.readNumber(); }).description.isEmpty());
        EXPECT_EQ(read, valid);
    }
}

TEST(JsonReader, LimitsNestingWithoutExhaustingTheStack) {
    const auto nested = [](qsizetype depth) -> QByteArray {
        return QByteArray(depth, '[') + QByteArray(depth, ']');
    };
    EXPECT_TRUE(readWith(nested(JsonReader::MaxDepth), skipAll).description.isEmpty());
    const QString expected = QStringLiteral("T:1:%1: objects and lists are nested more than %2 deep")
                                 .arg(JsonReader::MaxDepth + 1)
                                 .arg(JsonReader::MaxDepth);
    EXPECT_EQ(readWith(nested(JsonReader::MaxDepth + 1), skipAll).description, expected);
    EXPECT_EQ(readWith(QByteArray(1'000'000, '['), skipAll).description, expected);
    EXPECT_TRUE(readWith(QByteArray(R"({"a":)").repeated(1'000'000), skipAll)
                    .description.contains(QStringLiteral("nested more than")));
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
    const Failure outcome = readWith(json, skipAll);
    EXPECT_EQ(outcome.description, QStringLiteral("T:2:%1: expected a value, found 'x'").arg(characters + 5));
}

} // namespace
