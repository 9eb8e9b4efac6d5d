// The XML readers at the limits: huge names, very many cubes and nesting far deeper than the
// formats use all end in a model or a clear error, in bounded time and without exhausting the
// stack.

#include "asslschema.h"
#include "error.h"
#include "mondrianschema.h"

#include <QBuffer>
#include <ctime>
#include <functional>
#include <gtest/gtest.h>

using namespace Lorvantic;
using namespace Lorvantic::Olap;

namespace {

using Reader = std::function<ServerData(QIODevice&)>;

const Reader mondrian = [](QIODevice& device) {
    return ReadMondrianSchema(device, QStringLiteral("T"), QDateTime::fromSecsSinceEpoch(0, Qt::UTC));
};
const Reader assl = [](QIODevice& device) {
    return ReadAsslDatabase(device, QStringLiteral("T"));
};

ServerData readXml(const Reader& read, const QByteArray& xml) {
    QByteArray bytes = xml;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return read(buffer);
}

// The failure's description, or an empty text when the file reads.
QString failureOf(const Reader& read, const QByteArray& xml) {
    try {
        readXml(read, xml);
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::BadDescription) << error.description().toStdString();
        return error.description();
    }
    return QString();
}

// Processor time, which a busy machine does not stretch as it does the time on the wall. A
// sanitizer build runs several times slower; the bound still catches a quadratic walk.
constexpr qint64 BoundMs = 60'000;

class CpuTimer {
public:
    qint64 elapsed() const { return now() - m_start; }

private:
    static qint64 now() {
        timespec t{};
        ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1'000'000;
    }
    qint64 m_start = now();
};

QByteArray mondrianCubes(int count) {
    QByteArray xml = "<Schema name='S'><Dimension name='Time'><Hierarchy><Level name='Year'/></Hierarchy>"
                     "</Dimension>";
    for (int i = 0; i < count; ++i)
        xml += "<Cube name='c" + QByteArray::number(i) +
               "'><Table name='f'/><DimensionUsage name='Time' source='Time'/></Cube>";
    xml += "<Role name='R'><SchemaGrant><CubeGrant cube='c0' access='all'/></SchemaGrant></Role></Schema>";
    return xml;
}

QByteArray asslCubes(int count) {
    QByteArray xml = "<Database><ID>D</ID><Name>D</Name><Dimensions><Dimension><ID>T</ID><Name>Time</Name>"
                     "</Dimension></Dimensions><Cubes>";
    for (int i = 0; i < count; ++i)
        xml +=
            "<Cube><ID>c" + QByteArray::number(i) + "</ID><Name>c" + QByteArray::number(i) +
            "</Name><Dimensions><Dimension><ID>T</ID><DimensionID>T</DimensionID></Dimension></Dimensions>"
            "<CubePermissions><CubePermission><ID>P</ID><RoleID>R</RoleID></CubePermission></CubePermissions>"
            "</Cube>";
    xml += "</Cubes><Roles><Role><ID>R</ID><Name>Readers</Name></Role></Roles></Database>";
    return xml;
}

} // namespace

TEST(SchemaLimits, AHundredThousandCubesReadInBoundedTime) {
    constexpr int Cubes = 100'000;
    const CpuTimer timer;
    const ServerData fromMondrian = readXml(mondrian, mondrianCubes(Cubes));
    ASSERT_EQ(fromMondrian.databases.size(), 1u);
    EXPECT_EQ(fromMondrian.databases[0].cubes.size(), std::size_t(Cubes));
    EXPECT_EQ(fromMondrian.databases[0].cubes.back().dimensions,
              std::vector<QString>{QStringLiteral("Time")});

    const ServerData fromAssl = readXml(assl, asslCubes(Cubes));
    ASSERT_EQ(fromAssl.databases.size(), 1u);
    EXPECT_EQ(fromAssl.databases[0].cubes.size(), std::size_t(Cubes));
    EXPECT_EQ(fromAssl.databases[0].cubes.back().roles, std::vector<QString>{QStringLiteral("Readers")});
    EXPECT_LT(timer.elapsed(), BoundMs);
}

TEST(SchemaLimits, MegabyteNamesComeBackWhole) {
    const QByteArray huge = QByteArray(1 << 20, 'n').replace("nn", "\xC3\xA9");
    const QString name = QString::fromUtf8(huge);
    const CpuTimer timer;

    const ServerData fromMondrian = readXml(
        mondrian, "<Schema name='" + huge + "'><Dimension name='" + huge + "'><Hierarchy><Level name='" +
                      huge + "'/></Hierarchy></Dimension><Cube name='" + huge +
                      "'><Table name='f'/><DimensionUsage name='u' source='" + huge + "'/></Cube></Schema>");
    ASSERT_EQ(fromMondrian.databases.size(), 1u);
    EXPECT_EQ(fromMondrian.databases[0].name, name);
    ASSERT_EQ(fromMondrian.databases[0].cubes.size(), 1u);
    EXPECT_EQ(fromMondrian.databases[0].cubes[0].name, name);
    EXPECT_EQ(fromMondrian.databases[0].cubes[0].dimensions, std::vector<QString>{name});

    const ServerData fromAssl = readXml(
        assl, "<Database><ID>" + huge + "</ID><Name>" + huge + "</Name><Dimensions><Dimension><ID>" + huge +
                  "</ID><Name>" + huge + "</Name></Dimension></Dimensions><Cubes><Cube><ID>" + huge +
                  "</ID><Name>" + huge + "</Name><Dimensions><Dimension><ID>d</ID><DimensionID>" + huge +
                  "</DimensionID></Dimension></Dimensions></Cube></Cubes></Database>");
    ASSERT_EQ(fromAssl.databases.size(), 1u);
    EXPECT_EQ(fromAssl.databases[0].name, name);
    ASSERT_EQ(fromAssl.databases[0].cubes.size(), 1u);
    EXPECT_EQ(fromAssl.databases[0].cubes[0].dimensions, std::vector<QString>{name});
    EXPECT_LT(timer.elapsed(), BoundMs);
}

TEST(SchemaLimits, NestingFarDeeperThanTheFormatIsSkippedOrRefused) {
    constexpr int Depth = 200'000;
    const QByteArray open = QByteArray("<Annotation>").repeated(Depth);
    const QByteArray close = QByteArray("</Annotation>").repeated(Depth);
    const CpuTimer timer;

    // Elements the readers do not know are passed over, however deep.
    const ServerData fromMondrian = readXml(mondrian, "<Schema name='S'><Cube name='C'><Table name='f'/>" +
                                                          open + close + "</Cube></Schema>");
    ASSERT_EQ(fromMondrian.databases.size(), 1u);
    EXPECT_EQ(fromMondrian.databases[0].cubes.size(), 1u);
    const ServerData fromAssl =
        readXml(assl, "<Database><ID>D</ID><Name>D</Name>" + open + close + "</Database>");
    EXPECT_EQ(fromAssl.databases.size(), 1u);

    // Left open, the same nesting is a clear fault, not a crash.
    EXPECT_FALSE(failureOf(mondrian, "<Schema name='S'><Cube name='C'>" + open).isEmpty());
    EXPECT_FALSE(failureOf(assl, "<Database><ID>D</ID>" + open).isEmpty());
    EXPECT_LT(timer.elapsed(), BoundMs);
}
