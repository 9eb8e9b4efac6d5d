#include "asslschema.h"
#include "mondrianschema.h"
#include "olap.h"
#include "schematest.h"
#include "schemaxml.h"
#include "testsupport.h"

#include <QFile>

using namespace Lorvantic;
using namespace Lorvantic::Olap;
using namespace Lorvantic::Test;

namespace {

TEST(SchemaFiles, OnlyAsdatabaseFilesAndXmlFilesWithASchemaRootAreOurs) {
    const QString folder = freshFolder();
    const QByteArray licence = "<?xml version='1.0'?>\n<!-- " + QByteArray(4000, 'x') + " -->\n";
    struct Case {
        const char* name;
        QByteArray content;
        bool ours;
    };
    const Case cases[] = {
        {"plain.xml", "<Schema name='S'/>", true},
        {"UPPER.XML", licence + "<Schema name='S'>", true}, // the rest of the file is not looked at
        {"other.xml", "<Database/>", false},
        {"broken.xml", "<<Schema", false},
        {"empty.xml", "", false},
        {"model.asdatabase", "not even XML", true},
        {"server.json", "<Schema name='S'/>", false},
    };
    for (const Case& c : cases) {
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

// The models both readers make answer the object model's reads, references resolved.
TEST(SchemaFiles, ModelsAnswerThroughTheObjectModel) {
    QFile schema(QStringLiteral(LORVANTIC_SOURCE_DIR "/samples/servers/FoodMart.xml"));
    ASSERT_TRUE(schema.open(QIODevice::ReadOnly));
    const auto foodMart = ServerFromModel(std::make_shared<const ServerData>(ReadMondrianSchema(schema, {})));
    EXPECT_EQ(foodMart->Name(), QStringLiteral("FoodMart"));
    const auto cube = foodMart->Databases()
                          ->Item(QStringLiteral("FoodMart"))
                          ->Cubes()
                          ->Item(QStringLiteral("Warehouse and Sales"));
    EXPECT_EQ(cube->Dimensions()->Item(12)->Name(), QStringLiteral("Warehouse"));
    EXPECT_EQ(cube->Dimensions()->Item(QStringLiteral("Time"))->DimensionType(), 1);
    EXPECT_FALSE(cube->Dimensions()->Item(1)->IsShared());

    QFile definition(dataPath(QStringLiteral("schemas/HarborSales.asdatabase")));
    ASSERT_TRUE(definition.open(QIODevice::ReadOnly));
    const auto harbor = ServerFromModel(std::make_shared<const ServerData>(ReadAsslDatabase(definition, {})));
    const auto sales = harbor->Databases()->Item(1)->Cubes()->Item(QStringLiteral("Sales"));
    EXPECT_EQ(sales->Roles()->Item(1)->UsersList(), QStringLiteral("CORP\\alice;CORP\\bob"));
    EXPECT_EQ(sales->Partitions()->Item(1)->Aggregations()->Count(), 2);
    EXPECT_EQ(sales->Dimensions()->Item(QStringLiteral("Date"))->Levels()->Item(1)->LevelType(), 20);
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

} // namespace
