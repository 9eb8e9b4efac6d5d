// The schema readers (Mondrian schemas, ASSL database definitions) and the JSON description
// reader on sample files whose whole models are kept as expected descriptions, the faults they
// name, and files that are not theirs, cut short or hostile.

#include "external/readers/asslschema.h"
#include "external/readers/mondrianschema.h"
#include "external/readers/schemaxml.h"
#include "external/readers/serverdescription.h"
#include "tests/schemas/schematest.h"
#include "tests/support/testsupport.h"

#include <QElapsedTimer>
#include <QFile>

using namespace Lorvantic;
using namespace Lorvantic::Olap;
using namespace Lorvantic::Test;
using namespace Qt::StringLiterals;

namespace {

SchemaReader processedAt(const QDateTime& time) {
    return [time](QIODevice& d, const QString& o) {
        return ReadMondrianSchema(d, o, time);
    };
}

// Everything the object model answers about the (first) database of each file, one object a
// line, against its expected description under tests/data/schemas.
TEST(SchemaReaders, EachFileReadsToItsExpectedModel) {
    const QString foodMart = QStringLiteral(LORVANTIC_SOURCE_DIR "/samples/servers/FoodMart.xml");
    const struct {
        QString file;
        SchemaReader read;
        const char* expected;
    } cases[] = {
        // Cubes and the virtual cube processed at the file time; shared, private and hierarchy
        // dimensions; level types, sizes, columns and properties; roles on the cubes they grant.
        {foodMart, processedAt(QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9))), "FoodMart.txt"},
        {dataPath(u"schemas/corners.xml"_s), processedAt(QDateTime()), "corners.txt"},
        // Levels in hierarchy order, a level without a count counts no members, a script's CREATE
        // statements become commands, the statement's own SOLVE_ORDER winning over its property.
        {dataPath(u"schemas/HarborSales.asdatabase"_s), ReadAsslDatabase, "HarborSales.txt"},
        {dataPath(u"schemas/defaults.asdatabase"_s), ReadAsslDatabase, "defaults.txt"},
        // Values as written, defaults for those left out or null.
        {dataPath(u"schemas/written.json"_s), ReadJsonDescription, "written.txt"},
        {dataPath(u"schemas/missing.json"_s), ReadJsonDescription, "missing.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        const ServerData server = readText(c.read, readBytes(c.file));
        EXPECT_EQ(FindBrokenReference(server), QString());
        expectText(u"server "_s + server.name + u'\n' + describe(server) + u'\n',
                   u"schemas/"_s + QLatin1String(c.expected));
    }
}

TEST(SchemaFiles, OnlyAsdatabaseFilesAndXmlFilesWithASchemaRootAreOurs) {
    const QString folder = freshFolder();
    const QByteArray licence = "<?xml version='1.0'?>\n<!-- " + QByteArray(4000, 'x') + " -->\n";
    const struct {
        const char* name;
        QByteArray content;
        bool ours;
    } cases[] = {
        {"plain.xml", "<Schema name='S'/>", true},
        {"UPPER.XML", licence + "<Schema name='S'>", true}, // the rest of the file is not looked at
        {"other.xml", "<Database/>", false},
        {"broken.xml", "<<Schema", false},
        {"empty.xml", "", false},
        {"model.asdatabase", "not even XML", true},
        {"server.json", "<Schema name='S'/>", false},
    };
    for (const auto& c : cases) {
        const QString path = folder + u'/' + QString::fromLatin1(c.name);
        writeBytes(path, c.content);
        EXPECT_EQ(IsSchemaFile(path), c.ours) << c.name;
    }
    EXPECT_FALSE(IsSchemaFile(folder + QStringLiteral("/missing.xml")));
}

TEST(SchemaFiles, ASchemaFileIsProcessedWhenItWasLastModified) {
    const QString path = freshFolder() + QStringLiteral("/s.xml");
    writeBytes(path, "<Schema name='S'><Cube name='C'/></Schema>");
    const QDateTime modified(QDate(2021, 2, 3), QTime(4, 5, 6));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
    const ServerData server = ReadMondrianSchema(file, QStringLiteral("T"));
    EXPECT_EQ(server.databases.at(0).cubes.at(0).lastProcessed, modified);
}

// Whatever point a file breaks off at, reading it fails with a description, never worse.
TEST(SchemaFiles, TruncatedFilesFailCleanly) {
    const std::pair<QString, SchemaReader> files[] = {
        {QStringLiteral(LORVANTIC_SOURCE_DIR "/samples/servers/FoodMart.xml"),
         [](QIODevice& d, const QString& o) {
             return ReadMondrianSchema(d, o);
         }},
        {dataPath(QStringLiteral("schemas/HarborSales.asdatabase")), ReadAsslDatabase},
    };
    for (const auto& [path, read] : files) {
        const QByteArray whole = readBytes(path);
        for (qsizetype cut = 0; cut < whole.size() - 20; cut += 211)
            EXPECT_FALSE(failureOf(read, whole.left(cut)).isEmpty())
                << path.toStdString() << " cut at " << cut;
    }
}

TEST(MondrianSchema, FaultsNameTheirLineAndColumn) {
    const struct {
        const char* xml;
        const char* expected;
    } cases[] = {
        {"<Schema name='S'>\n<Cube name='C'>\n</Schema>",
         "T:3:10: not well-formed XML: Opening and ending tag mismatch"},
        {"", "T:1:1: not well-formed XML: "},
        {"<Schema name='S'/>\n<Schema name='T'/>",
         "T:2:19: not well-formed XML: Extra content at end of document"},
        {"<?xml version='1.0'?>\n<Database/>", "T:2:12: the root element is <Database>, not <Schema>"},
        {"<Schema/>", "T:1:10: <Schema> without a name attribute"},
        {"<Schema name='S' metamodelVersion='4.0'/>", "metamodel version 4.0 are not read"},
        {"<Schema name='S'><Cube name='C'>\n<DimensionUsage source='Gone'/></Cube></Schema>",
         "T:2:32: cube 'C' uses dimension 'Gone', which the schema does not have as a shared dimension"},
        {"<Schema name='S'><VirtualCube name='V'>\n<VirtualCubeDimension cubeName='X' "
         "name='D'/></VirtualCube>"
         "</Schema>",
         "T:2:46: virtual cube 'V' names cube 'X', which the schema does not have"},
        {"<Schema name='S'><Cube name='C'/><VirtualCube name='V'>\n<VirtualCubeDimension cubeName='C' "
         "name='D'/></VirtualCube></Schema>",
         "uses dimension 'D' of cube 'C', which that cube does not have"},
        {"<Schema name='S'><Role name='R'><SchemaGrant>\n<CubeGrant cube='X' "
         "access='all'/></SchemaGrant></Role>"
         "</Schema>",
         "T:2:35: role 'R' grants cube 'X', which the schema does not have"},
        {"<Schema name='S'><Dimension name='D'><Hierarchy>\n<Level name='L' approxRowCount='many'/>",
         "T:2:40: approxRowCount is not a whole number: 'many'"},
        {"<Schema name='S'><Dimension name='D'><Hierarchy><Level name='L' approxRowCount='3000000000'/>",
         "approxRowCount is out of range: '3000000000'"},
        {"<Schema name='S'><Cube name='C'><CalculatedMember name='M' dimension='Measures' formula='1'>"
         "<CalculatedMemberProperty name='SOLVE_ORDER' value='40000'/>",
         "SOLVE_ORDER is out of range: '40000'"},
        {"<Schema name='S'><Cube name='C'/>\n<VirtualCube name='C'/></Schema>",
         "T:2:24: a second cube named 'C'"},
        {"<Schema name='S'><Dimension name='C^D'/><Cube name='C'><Dimension name='D'/></Cube></Schema>",
         "a second dimension named 'C^D'"},
        {"<Schema name='S'><Role name='R'/><Role name='R'/></Schema>", "a second role named 'R'"},
    };
    for (const auto& c : cases) {
        const QString failure = failureOf(processedAt(QDateTime()), c.xml);
        EXPECT_TRUE(failure.contains(QLatin1String(c.expected)))
            << c.xml << "\n -> " << failure.toStdString();
    }
}

// Small files that would expand to vast models or texts are refused quickly.
TEST(MondrianSchema, HostileFilesAreRefusedInBoundedTime) {
    QByteArray sets;
    QByteArray cubes;
    for (int i = 0; i < 4000; ++i) {
        sets += "<NamedSet name='s" + QByteArray::number(i) + "' formula='{}'/>";
        cubes += "<Cube name='c" + QByteArray::number(i) + "'/>";
    }
    QByteArray laughs = "<?xml version='1.0'?><!DOCTYPE Schema [<!ENTITY a 'aaaaaaaaaaaaaaaaaaaaaaaa'>";
    for (char e = 'b'; e <= 'k'; ++e)
        laughs +=
            QByteArray("<!ENTITY ") + e + " '" + QByteArray("&").append(e - 1).append(';').repeated(8) + "'>";
    laughs += "]><Schema name='&k;'/>";
    QElapsedTimer timer;
    timer.start();
    const SchemaReader read = processedAt(QDateTime());
    EXPECT_TRUE(failureOf(read, "<Schema name='S'>" + cubes + sets + "</Schema>").contains(u"expand"_s));
    EXPECT_TRUE(failureOf(read, laughs).contains(u"entity expansion limit"_s));
    EXPECT_LT(timer.elapsed(), 10000);
}

QByteArray database(const QByteArray& content) {
    return "<Database xmlns='http://schemas.microsoft.com/analysisservices/2003/engine'><Name>D</Name>\n" +
           content + "</Database>";
}

QByteArray cube(const QByteArray& content) {
    return database("<Cubes><Cube><Name>C</Name>\n" + content + "</Cube></Cubes>");
}

TEST(AsslDatabase, FaultsNameTheirLineAndColumn) {
    const struct {
        QByteArray xml;
        const char* expected;
    } cases[] = {
        {"<Database><Name>D</Name>\n<Cubes><Cube></Cubes>",
         "T:2:22: not well-formed XML: Opening and ending tag"},
        {"<Schema name='S'/>", "T:1:19: the root element is <Schema>, not <Database>"},
        {"<Database><ID>D</ID></Database>", "T:1:11: <Database> without a <Name>"},
        {database("<Dimensions>\n<Dimension><ID>x</ID></Dimension></Dimensions>"),
         "T:3:12: <Dimension> without a <Name>"},
        {database("<Dimensions><Dimension><Name>A</Name></Dimension>\n<Dimension><Name>A</Name></Dimension>"
                  "</Dimensions>"),
         "T:3:12: a second dimension named 'A'"},
        {cube("<Dimensions>\n<Dimension><DimensionID>Gone</DimensionID></Dimension></Dimensions>"),
         "T:4:12: cube 'C' names the dimension with the ID 'Gone', which the database does not have"},
        {cube("<CubePermissions><CubePermission><RoleID>Gone</RoleID></CubePermission></CubePermissions>"),
         "cube 'C' names the role with the ID 'Gone'"},
        {cube("<MeasureGroups><MeasureGroup><Partitions>\n<Partition><Name>P</Name>"
              "<AggregationDesignID>Gone</AggregationDesignID></Partition></Partitions></MeasureGroup>"
              "</MeasureGroups>"),
         "T:4:12: partition 'P' of cube 'C' names the aggregation design with the ID 'Gone'"},
        {cube("<MeasureGroups><MeasureGroup><Partitions><Partition><Name>P</Name><Source><DataSourceID>Gone"
              "</DataSourceID></Source></Partition></Partitions></MeasureGroup></MeasureGroups>"),
         "names the data source with the ID 'Gone'"},
        {cube("<LastProcessed>yesterday</LastProcessed>"), "T:3:16: not a date and time: 'yesterday'"},
        {database("<Dimensions><Dimension><Name>A</Name><Attributes><Attribute><Name>L</Name>\n"
                  "<EstimatedCount>lots</EstimatedCount>"),
         "T:3:17: <EstimatedCount> is not a whole number: 'lots'"},
        {database("<Dimensions><Dimension><Name>A</Name><Hierarchies><Hierarchy><Levels><Level>\n"
                  "<SourceAttributeID>Gone</SourceAttributeID></Level></Levels></Hierarchy></Hierarchies>"
                  "</Dimension></Dimensions>"),
         "T:2:77: dimension 'A' has no attribute with the ID 'Gone'"},
        {cube("<MdxScripts><MdxScript><Commands><Command>\n<Text>CREATE MEMBER CURRENTCUBE.[M] AS 1, "
              "SOLVE_ORDER = 99999;</Text>"),
         "T:4:7: SOLVE_ORDER is out of range: '99999'"},
    };
    for (const auto& c : cases) {
        const QString failure = failureOf(ReadAsslDatabase, c.xml);
        EXPECT_TRUE(failure.contains(QLatin1String(c.expected)))
            << c.xml.toStdString() << "\n -> " << failure.toStdString();
    }
}

} // namespace
