// The XMLA answer reader and the rowset model on the recorded answers of the Mondrian server:
// rows and faults as the bytes arrive in any pieces, every malformed answer a clear error, and
// the rowsets read into the model that the schema file gives.

#include "external/xmla/netrc.h"
#include "external/xmla/xmlaserver.h"
#include "model/error.h"
#include "tests/schemas/cases.h"
#include "tests/xmla/xmlatest.h"

#include <gtest/gtest.h>

using namespace Lorvantic;
using namespace Lorvantic::Olap;
using namespace Lorvantic::Olap::Xmla;
using namespace Lorvantic::Test;
using namespace Qt::StringLiterals;

namespace {

struct Read {
    std::vector<Row> rows;
    std::optional<Fault> fault;
    QString error; // the description of the failure, if any
};

Read readAnswer(const QByteArray& bytes, const QStringList& columns, qsizetype chunk) {
    Read read;
    const Failure failure = failureOf([&] {
        ResponseReader reader(
            columns, [&](const Row& row) { read.rows.push_back(row); }, u"T"_s);
        feed(reader, bytes, chunk);
        read.fault = reader.fault();
    });
    if (failure.number != 0) {
        EXPECT_EQ(failure.number, ErrorNumber::BadDescription);
    }
    read.error = failure.description;
    return read;
}

} // namespace

TEST(XmlaResponse, RecordedAnswersGiveTheirRowsOrFaultsInAnyPieces) {
    const struct {
        const char* file;
        const Rowset& rowset;
        std::size_t rows;
        const char* fault; // start of the fault text, or nullptr
    } cases[] = {
        {"discover-catalogs", CatalogsRowset(), 1, nullptr},
        {"discover-cubes", CubesRowset(), 7, nullptr},
        {"discover-dimensions-catalog", DimensionsRowset(), 68, nullptr},
        {"discover-dimensions-sales", DimensionsRowset(), 13, nullptr},
        {"discover-levels-catalog", LevelsRowset(), 232, nullptr},
        {"discover-measures-catalog", MeasuresRowset(), 49, nullptr},
        {"discover-properties-catalog", PropertiesRowset(), 66, nullptr},
        {"discover-xml-metadata", MetadataRowset(), 0,
         "XMLA SOAP Body processing error: The Mondrian XML: No enum constant "
         "mondrian.xmla.RowsetDefinition.DISCOVER_XML_METADATA"},
        {"discover-truncated", CatalogsRowset(), 0, "DOM parse errors occur: The Mondrian XML: XML document"},
        {"discover-unknown-rowset", CatalogsRowset(), 0, "XMLA SOAP Body processing error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QByteArray bytes = recorded(c.file);
        const Read whole = readAnswer(bytes, c.rowset.columns, bytes.size() + 1);
        EXPECT_EQ(whole.error, QString());
        EXPECT_EQ(whole.rows.size(), c.rows);
        EXPECT_EQ(whole.fault.has_value(), c.fault != nullptr);
        if (c.fault && whole.fault) {
            EXPECT_TRUE(whole.fault->text.startsWith(QLatin1String(c.fault)))
                << whole.fault->text.toStdString();
        }
        for (const qsizetype chunk : {1, 7, 1000}) {
            const Read pieces = readAnswer(bytes, c.rowset.columns, chunk);
            EXPECT_EQ(pieces.rows, whole.rows) << chunk;
            EXPECT_EQ(pieces.fault.has_value(), whole.fault.has_value()) << chunk;
        }
    }
    const Read cubes = readAnswer(recorded("discover-cubes"), CubesRowset().columns, 512);
    EXPECT_EQ(cubes.rows.back(), (Row{u"Warehouse and Sales"_s, u"VIRTUAL CUBE"_s, u"2026-12-06T04:02:05"_s,
                                      QString(), u"FoodMart"_s}));
}

TEST(XmlaResponse, ValuesComeBackExactlyWhateverTheyHold) {
    const Read read = readAnswer(
        answerWithRows(
            "<row><CUBE_NAME>a &lt;b&gt; &amp; c's /x;y</CUBE_NAME><CUBE_TYPE/></row>"
            "<row><CUBE_NAME>\xC3\xA9t\xC3\xA9 \xE2\x82\xAC &#x1F600;</CUBE_NAME><OTHER>x</OTHER></row>"
            "<row><CUBE_NAME><![CDATA[<raw> & ]]></CUBE_NAME></row>"),
        CubesRowset().columns, 3);
    ASSERT_EQ(read.error, QString());
    ASSERT_EQ(read.rows.size(), 3u);
    EXPECT_EQ(read.rows[0][0], u"a <b> & c's /x;y"_s);
    EXPECT_EQ(read.rows[0][1], QString());
    EXPECT_EQ(read.rows[1][0], u"été € 😀"_s);
    EXPECT_EQ(read.rows[2][0], u"<raw> & "_s);
}

TEST(XmlaResponse, EveryAnswerThatIsNotXmlaIsAClearError) {
    const QByteArray cubes = recorded("discover-cubes");
    const struct {
        QByteArray bytes;
        const char* error;
    } cases[] = {
        {"", "T:1:1: the answer is empty"},
        {"<html><body>502 Bad Gateway</body></html>",
         "not an XMLA answer: the document is <html> instead of a"},
        {"not xml at all", "Start tag expected."},
        {cubes.left(cubes.size() / 2), "the answer ends early"},
        {cubes.left(cubes.indexOf("<row>") + 3), "the answer ends early"},
        {cubes + "<extra/>", "Extra content at end of document."},
        {"<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY a \"aaaa\">]><Envelope/>",
         "document type declaration"},
        {"<Envelope><Body><Something/></Body></Envelope>", "the SOAP body holds <Something>"},
        {"<Envelope><Body/></Envelope>", "neither a response nor a fault"},
        {answerWithRows("<row><METADATA><a/><b/></METADATA></row>"), "a column holds more than one element"},
        {answerWithRows("<row><CUBE_NAME>x</CUBE_NAME></wrong>"), "Opening and ending tag mismatch."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.left(120).toStdString());
        for (const qsizetype chunk : {1, 4096}) {
            const Read read = readAnswer(c.bytes, CubesRowset().columns.mid(0, 1) << u"METADATA"_s, chunk);
            EXPECT_TRUE(read.error.startsWith(u"T:"_s)) << read.error.toStdString();
            EXPECT_TRUE(read.error.contains(QLatin1String(c.error))) << read.error.toStdString();
        }
    }
}

TEST(XmlaResponse, AnErrorInTheRowsetIsAFault) {
    const Read read = readAnswer(
        answerWithRows(
            "<Exception xmlns=\"urn:schemas-microsoft-com:xml-analysis:exception\"/>"
            "<Messages xmlns=\"urn:schemas-microsoft-com:xml-analysis:exception\">"
            "<Error ErrorCode=\"3238002695\" Description=\"The cube was not found.\"/></Messages>"),
        CubesRowset().columns, 64);
    ASSERT_TRUE(read.fault.has_value()) << read.error.toStdString();
    EXPECT_EQ(read.fault->code, u"3238002695"_s);
    EXPECT_EQ(read.fault->text, u"The cube was not found."_s);
}

TEST(XmlaRowsets, RecordedFoodMartDiffersFromTheSchemaFileAsTheLiveServerDoes) {
    const QString found =
        changesFromFoodMartFile(ServerFromModel(std::make_shared<ServerData>(recordedFoodMart())));
    EXPECT_EQ(found.toUtf8(), readBytes(dataPath(u"xmla/foodmart-diff.txt"_s)));
}

// Shared, private, virtual and calculated as the schema file reads them; the load time lies after
// the cap, so that pages do not depend on when the server started.
TEST(XmlaRowsets, RecordedFoodMartIsItsExpectedModel) {
    const ServerData server = recordedFoodMart(QDateTime::fromSecsSinceEpoch(1764511500));
    EXPECT_EQ(FindBrokenReference(server), QString());
    expectGolden((describe(server) + u'\n').toUtf8(), u"recorded-foodmart.txt"_s);
}

TEST(XmlaRowsets, ValuesOfTheWrongKindAreClearErrors) {
    const struct {
        void (DatabaseBuilder::*add)(const Row&);
        const char* row; // its columns separated by '|'
        const char* error;
    } cases[] = {
        {&DatabaseBuilder::addCube, "C|CUBE|yesterday||", "T: LAST_SCHEMA_UPDATE 'yesterday' is not a date"},
        {&DatabaseBuilder::addCube, "|CUBE|||", "T: a cube without a name"},
        {&DatabaseBuilder::addLevel, "C|[D]|[D]|L|[D].[L]|1|many|||",
         "T: LEVEL_CARDINALITY 'many' is not a whole number"},
        {&DatabaseBuilder::addMeasure, "C|M|1e3||||", "T: MEASURE_AGGREGATOR '1e3' is not"},
        {&DatabaseBuilder::addDimension, "C||||||", "T: a dimension without a name"},
        {&DatabaseBuilder::addCube, "C|CUBE|||", "T: cube 'C' comes twice"},
    };
    DatabaseBuilder builder(u"DB"_s, u"T"_s);
    builder.addCube({u"C"_s, u"CUBE"_s, {}, {}, {}});
    for (const auto& c : cases) {
        const QStringList columns = QString::fromLatin1(c.row).split(u'|');
        const Failure failure = failureOf([&] { (builder.*c.add)(Row(columns.begin(), columns.end())); });
        EXPECT_EQ(failure.number, ErrorNumber::BadDescription);
        EXPECT_TRUE(failure.description.startsWith(QLatin1String(c.error)))
            << failure.description.toStdString();
    }
}

// The names: tests/data/xmla/shown-names.txt.
TEST(XmlaNames, ThePasswordIsNeverShown) {
    for (const Case& c : cases(u"xmla/shown-names.txt"_s))
        EXPECT_EQ(DisplayServerName(text(c[0])), text(c[1])) << c[0].toStdString();
}

// The file and the cases: tests/data/xmla/logins.netrc and netrc-logins.txt.
TEST(XmlaNames, NetrcIsReadAsCurlReadsIt) {
    const QString netrc = QString::fromUtf8(readBytes(dataPath(u"xmla/logins.netrc"_s)));
    for (const Case& c : cases(u"xmla/netrc-logins.txt"_s)) {
        const auto found = NetrcLogin(netrc, text(c[0]), text(c[1]));
        ASSERT_EQ(found.has_value(), c[2] != "none") << c.join(' ').toStdString();
        if (found) {
            EXPECT_EQ(QStringList({found->user, found->password}), QStringList({text(c[2]), text(c[3])}));
        }
    }
    EXPECT_FALSE(NetrcLogin(u"machine h login"_s, u"x"_s, {}).has_value());
    EXPECT_EQ(NetrcLogin(u"machine h login"_s, u"h"_s, {})->user, QString());
    // A macro is the rest of its line and the lines up to an empty one, its name or not.
    EXPECT_EQ(NetrcLogin(u"macdef\n\nmachine h login u password p"_s, u"h"_s, {})->password, u"p"_s);
    // A backslash that ends the file inside quotes is itself.
    EXPECT_EQ(NetrcLogin(u"machine h login u password \"abc\\"_s, u"h"_s, {})->password, u"abc\\"_s);
}
