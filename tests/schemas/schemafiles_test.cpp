#include "external/readers/asslschema.h"
#include "external/readers/mondrianschema.h"
#include "external/readers/schemaxml.h"
#include "tests/schemas/schematest.h"
#include "tests/support/testsupport.h"

#include <QFile>

using namespace Lorvantic;
using namespace Lorvantic::Olap;
using namespace Lorvantic::Test;

namespace {

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

} // namespace
