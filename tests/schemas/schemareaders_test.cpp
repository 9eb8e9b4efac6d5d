// The schema readers (Mondrian schemas, ASSL database definitions) and the JSON description
// reader on sample files whose whole models are kept as expected descriptions, the faults they
// name, and files that are not theirs, cut short or hostile.

#include "external/readers/asslschema.h"
#include "external/readers/mondrianschema.h"
#include "external/readers/schemaxml.h"
#include "external/readers/serverdescription.h"
#include "tests/schemas/cases.h"
#include "tests/schemas/schematest.h"
#include "tests/support/testsupport.h"

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
        // statements become commands, the statement's own SOLVE_ORDER winning over its property
        // (one cut short after its sign leaves the property's).
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

// The files: tests/data/schemas/faults.txt.
TEST(SchemaReaders, FaultsNameTheirLineAndColumn) {
    for (const Case& c : cases(u"schemas/faults.txt"_s)) {
        const QString failure =
            failureOf(c[0] == "assl" ? SchemaReader(ReadAsslDatabase) : processedAt({}), c[1]);
        EXPECT_TRUE(failure.contains(text(c[2]))) << c[1].toStdString() << "\n -> " << failure.toStdString();
    }
}

// Small files that would expand to vast models or texts are refused (entities.xml: nested entities).
TEST(MondrianSchema, HostileFilesAreRefused) {
    QByteArray sets;
    QByteArray cubes;
    for (int i = 0; i < 4000; ++i) {
        sets += "<NamedSet name='s" + QByteArray::number(i) + "' formula='{}'/>";
        cubes += "<Cube name='c" + QByteArray::number(i) + "'/>";
    }
    const SchemaReader read = processedAt(QDateTime());
    EXPECT_TRUE(failureOf(read, "<Schema name='S'>" + cubes + sets + "</Schema>").contains(u"expand"_s));
    EXPECT_TRUE(failureOf(read, readBytes(dataPath(u"schemas/entities.xml"_s)))
                    .contains(u"entity expansion limit"_s));
}

} // namespace
