// The three description readers at their limits: every input kept for the fuzz targets (seeds
// and findings under fuzz/corpus/), very many cubes, huge names and nesting far deeper than the
// formats use all end in a model or a clear error, in bounded time and without exhausting the
// stack.

#include "external/olap.h"
#include "external/readers/asslschema.h"
#include "external/readers/mondrianschema.h"
#include "external/readers/serverdescription.h"
#include "tests/schemas/schematest.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <ctime>

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

// Processor time, which a busy machine does not stretch as it does the time on the wall. A
// sanitizer build runs several times slower; the bound still catches a quadratic walk.
constexpr qint64 BoundMs = 60'000;
qint64 cpuMs() {
    return qint64(std::clock()) * 1000 / CLOCKS_PER_SEC;
}

QByteArray repeated(int count, const QByteArray& pattern) {
    QByteArray text;
    text.reserve(count * (pattern.size() + 8));
    for (int i = 0; i < count; ++i)
        text += QByteArray(pattern).replace("%", QByteArray::number(i));
    return text;
}

// Each format writes a database of `count` cubes c0, c1, ... using the dimension "Time", the
// the first (or each, with everyCubeHasTheRole) granted to the role "Readers"; and a database, a dimension
// and a cube using it, all with the one name.
struct Format {
    const char* name;
    SchemaReader read;
    bool everyCubeHasTheRole;
    std::function<QByteArray(int)> cubes;
    std::function<QByteArray(const QByteArray&)> named;
};

const Format formats[] = {
    {"json", json, true,
     [](int count) -> QByteArray {
         return withDatabases(
             R"({"name": "D", "cubes": [)" +
             repeated(count, R"({"name": "c%", "dimensions": ["Time"], "roles": ["Readers"]},)").chopped(1) +
             R"(], "dimensions": [{"name": "Time"}], "roles": [{"name": "Readers"}]})");
     },
     [](const QByteArray& n) -> QByteArray {
         return withDatabases(R"({"name": ")" + n + R"(", "dimensions": [{"name": ")" + n +
                              R"("}], "cubes": [{"name": ")" + n + R"(", "dimensions": [")" + n + R"("]}]})");
     }},
    {"mondrian", mondrian, false,
     [](int count) -> QByteArray {
         return "<Schema name='S'><Dimension name='Time'><Hierarchy><Level "
                "name='Year'/></Hierarchy></Dimension>" +
                repeated(
                    count,
                    "<Cube name='c%'><Table name='f'/><DimensionUsage name='Time' source='Time'/></Cube>") +
                "<Role name='Readers'><SchemaGrant><CubeGrant cube='c0' "
                "access='all'/></SchemaGrant></Role></Schema>";
     },
     [](const QByteArray& n) -> QByteArray {
         return "<Schema name='" + n + "'><Dimension name='" + n + "'><Hierarchy><Level name='" + n +
                "'/></Hierarchy></Dimension><Cube name='" + n +
                "'><Table name='f'/><DimensionUsage name='u' source='" + n + "'/></Cube></Schema>";
     }},
    {"assl", assl, true,
     [](int count) -> QByteArray {
         return "<Database><ID>D</ID><Name>D</Name><Dimensions><Dimension><ID>T</ID><Name>Time</Name></"
                "Dimension>"
                "</Dimensions><Cubes>" +
                repeated(count,
                         "<Cube><ID>c%</ID><Name>c%</Name><Dimensions><Dimension><ID>T</ID><DimensionID>T"
                         "</DimensionID></Dimension></Dimensions><CubePermissions><CubePermission><ID>P</ID>"
                         "<RoleID>R</RoleID></CubePermission></CubePermissions></Cube>") +
                "</Cubes><Roles><Role><ID>R</ID><Name>Readers</Name></Role></Roles></Database>";
     },
     [](const QByteArray& n) -> QByteArray {
         return "<Database><ID>" + n + "</ID><Name>" + n + "</Name><Dimensions><Dimension><ID>" + n +
                "</ID><Name>" + n + "</Name></Dimension></Dimensions><Cubes><Cube><ID>" + n + "</ID><Name>" +
                n + "</Name><Dimensions><Dimension><ID>d</ID><DimensionID>" + n +
                "</DimensionID></Dimension></Dimensions></Cube></Cubes></Database>";
     }},
};

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

TEST(DescriptionLimits, AHundredThousandCubesReadInBoundedTime) {
    constexpr int Cubes = 100'000;
    for (const Format& format : formats) {
        SCOPED_TRACE(format.name);
        const qint64 start = cpuMs();
        const auto data = std::make_shared<const ServerData>(readText(format.read, format.cubes(Cubes)));
        ASSERT_EQ(data->databases.size(), 1u);
        const std::vector<CubeData>& cubes = data->databases[0].cubes;
        ASSERT_EQ(cubes.size(), std::size_t(Cubes));
        EXPECT_EQ(cubes.back().name, u"c99999"_s);
        EXPECT_EQ(joined(cubes.back().dimensions), u"Time"_s);
        EXPECT_EQ(joined(cubes.front().roles), u"Readers"_s);
        const auto cube = ServerFromModel(data)->Databases()->Item(1)->Cubes()->Item(u"c12345"_s);
        EXPECT_EQ(cube->Dimensions()->Item(1)->Name(), u"Time"_s);
        EXPECT_EQ(cube->Roles()->Count(), format.everyCubeHasTheRole ? 1 : 0);
        EXPECT_LT(cpuMs() - start, BoundMs);
    }
}

TEST(DescriptionLimits, MegabyteNamesComeBackWhole) {
    const QByteArray huge = QByteArray(1 << 20, 'n').replace("nn", "\xC3\xA9");
    const QString name = QString::fromUtf8(huge);
    for (const Format& format : formats) {
        SCOPED_TRACE(format.name);
        const qint64 start = cpuMs();
        const ServerData data = readText(format.read, format.named(huge));
        ASSERT_EQ(data.databases.size(), 1u);
        EXPECT_EQ(data.databases[0].name, name);
        ASSERT_EQ(data.databases[0].cubes.size(), 1u);
        EXPECT_EQ(data.databases[0].cubes[0].name, name);
        EXPECT_EQ(data.databases[0].cubes[0].dimensions, std::vector<QString>{name});
        EXPECT_LT(cpuMs() - start, BoundMs);
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
    const qint64 start = cpuMs();
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
    EXPECT_LT(cpuMs() - start, BoundMs);
}
