// The three description readers at their limits: every input kept for the fuzz targets (seeds
// and findings under fuzz/corpus/), huge names and nesting far deeper than the formats use all
// end in a model or a clear error without exhausting the stack. (Reading very many cubes: bench/.)

#include "external/readers/asslschema.h"
#include "external/readers/mondrianschema.h"
#include "external/readers/serverdescription.h"
#include "model/olap.h"
#include "tests/schemas/schematest.h"
#include "tests/support/testsupport.h"

#include <QDir>

using namespace Lorvantic;
using namespace Lorvantic::Olap;
using namespace Lorvantic::Test;
using namespace Qt::StringLiterals;

namespace {

const SchemaReader json = ReadJsonDescription;
const SchemaReader mondrian = [](QIODevice& device, const QString& origin) {
    return ReadMondrianSchema(device, origin, QDateTime::fromSecsSinceEpoch(0, Qt::UTC));
};
const SchemaReader assl = ReadAsslDatabase;

} // namespace

TEST(FuzzCorpus, EveryKeptInputReadsOrFailsCleanly) {
    for (const auto& [target, read] :
         {std::pair{"fuzz_jsondescription", json}, std::pair{"fuzz_mondrianschema", mondrian},
          std::pair{"fuzz_asslschema", assl}}) {
        const QDir folder(QStringLiteral(LORVANTIC_SOURCE_DIR "/fuzz/corpus/") + QLatin1String(target));
        const QStringList inputs = folder.entryList(QDir::Files, QDir::Name);
        EXPECT_FALSE(inputs.isEmpty()) << folder.path().toStdString();
        for (const QString& input : inputs) {
            SCOPED_TRACE(input.toStdString());
            failureOf(read, readBytes(folder.filePath(input))); // a model or a bad description
        }
    }
}

TEST(DescriptionLimits, MegabyteNamesComeBackWhole) {
    const QByteArray huge = QByteArray(1 << 20, 'n').replace("nn", "\xC3\xA9");
    const QString name = QString::fromUtf8(huge);
    // Each file names a database, a dimension and a cube using it @NAME@.
    for (const auto& [file, read] : {std::pair{"named.json", json}, std::pair{"named.xml", mondrian},
                                     std::pair{"named.asdatabase", assl}}) {
        SCOPED_TRACE(file);
        const QByteArray text =
            readBytes(dataPath(u"external/"_s + QLatin1String(file))).replace("@NAME@", huge);
        const ServerData data = readText(read, text);
        ASSERT_EQ(data.databases.size(), 1u);
        EXPECT_EQ(data.databases[0].name, name);
        ASSERT_EQ(data.databases[0].cubes.size(), 1u);
        EXPECT_EQ(data.databases[0].cubes[0].name, name);
        EXPECT_EQ(data.databases[0].cubes[0].dimensions, std::vector<QString>{name});
    }
    // A message naming a huge name stays readable.
    const QString failure = failureOf(
        json, withDatabases(R"({"name": "D", "cubes": [{"name": "C", "dimensions": [")" + huge + R"("]}]})"));
    EXPECT_TRUE(failure.startsWith(u"T:1:109: database \"D\" has no dimension named \""_s))
        << failure.left(200).toStdString();
    EXPECT_LT(failure.size(), 200);
}

TEST(DescriptionLimits, XmlNestingFarDeeperThanTheFormatIsSkippedOrRefused) {
    constexpr int Depth = 200'000;
    const QByteArray open = QByteArray("<Annotation>").repeated(Depth);
    const QByteArray close = QByteArray("</Annotation>").repeated(Depth);
    // Elements the readers do not know are passed over, however deep; left open, the same
    // nesting is a clear fault, not a crash.
    const QByteArray mondrianCube = "<Schema name='S'><Cube name='C'><Table name='f'/>";
    EXPECT_EQ(
        readText(mondrian, mondrianCube + open + close + "</Cube></Schema>").databases.at(0).cubes.size(),
        1u);
    EXPECT_FALSE(failureOf(mondrian, mondrianCube + open).isEmpty());
    const QByteArray asslDatabase = "<Database><ID>D</ID><Name>D</Name>";
    EXPECT_EQ(readText(assl, asslDatabase + open + close + "</Database>").databases.size(), 1u);
    EXPECT_FALSE(failureOf(assl, asslDatabase + open).isEmpty());
}
