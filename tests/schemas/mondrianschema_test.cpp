#include "mondrianschema.h"
#include "schematest.h"

#include <QElapsedTimer>
#include <QFile>

using namespace Lorvantic;
using namespace Lorvantic::Olap;
using namespace Lorvantic::Test;

namespace {

const QDateTime FileTime(QDate(2024, 5, 6), QTime(7, 8, 9));

ServerData readSchema(const QByteArray& xml, const QDateTime& time = FileTime) {
    return readText([&time](QIODevice& d, const QString& o) { return ReadMondrianSchema(d, o, time); }, xml);
}

QString schemaFailure(const QByteArray& xml) {
    return failureOf([](QIODevice& d, const QString& o) { return ReadMondrianSchema(d, o, QDateTime()); },
                     xml);
}

const DatabaseData& foodMart() {
    static const ServerData server = [] {
        QFile file(QStringLiteral(LORVANTIC_SOURCE_DIR "/samples/servers/FoodMart.xml"));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return ReadMondrianSchema(file, QStringLiteral("FoodMart"), FileTime);
    }();
    EXPECT_EQ(server.name, QStringLiteral("FoodMart"));
    return server.databases.at(0);
}

TEST(MondrianFoodMart, CubesAndVirtualCubeAreProcessedAtTheFileTime) {
    const DatabaseData& db = foodMart();
    EXPECT_EQ(db.name, QStringLiteral("FoodMart"));
    EXPECT_EQ(namesOf(db.cubes),
              texts({"Sales", "Warehouse", "Store", "HR", "Sales Ragged", "Sales 2", "Warehouse and Sales"}));
    for (const CubeData& cube : db.cubes) {
        EXPECT_EQ(cube.state, 1) << cube.name.toStdString();
        EXPECT_EQ(cube.lastProcessed, FileTime);
        EXPECT_FALSE(cube.estimatedSize);
    }
}

TEST(MondrianFoodMart, CubesUseSharedPrivateAndHierarchyDimensions) {
    const DatabaseData& db = foodMart();
    EXPECT_EQ(texts(named(db.cubes, "Sales").dimensions),
              texts({"Store", "Store Size in SQFT", "Store Type", "Time", "Time.Weekly", "Product",
                     "Sales^Promotion Media", "Sales^Promotions", "Sales^Customers", "Sales^Education Level",
                     "Sales^Gender", "Sales^Marital Status", "Sales^Yearly Income"}));
    EXPECT_EQ(texts(named(db.cubes, "Warehouse and Sales").dimensions),
              texts({"Sales^Customers", "Sales^Education Level", "Sales^Gender", "Sales^Marital Status",
                     "Product", "Sales^Promotion Media", "Sales^Promotions", "Store", "Time", "Time.Weekly",
                     "Sales^Yearly Income", "Warehouse"}));
    EXPECT_EQ(texts(named(db.cubes, "Store").dimensions),
              texts({"Store^Store Type", "Store", "Store^Has coffee bar"}));
    EXPECT_TRUE(named(db.dimensions, "Store").shared);
    EXPECT_FALSE(named(db.dimensions, "HR^Employees").shared);
}

TEST(MondrianFoodMart, LevelsCarryTypesSizesColumnsAndProperties) {
    const DatabaseData& db = foodMart();
    struct Expected {
        const char* dimension;
        qint32 dimensionType;
        const char* levels; // name:type, ...
    };
    const Expected table[] = {
        {"Time", 1, "Year:20 Quarter:68 Month:132"},
        {"Time.Weekly", 1, "Year:20 Week:260 Day:516"},
        {"HR^Time", 1, "Year:20 Quarter:68 Month:132"},
        {"Store", 0, "Store Country:0 Store State:0 Store City:0 Store Name:0"},
    };
    for (const Expected& e : table) {
        const DimensionData& dimension = named(db.dimensions, e.dimension);
        EXPECT_EQ(dimension.dimensionType, e.dimensionType) << e.dimension;
        QStringList levels;
        for (const LevelData& level : dimension.levels)
            levels << level.name + u':' + QString::number(level.levelType);
        EXPECT_EQ(levels.join(u' '), QString::fromLatin1(e.levels));
    }
    const LevelData& month = named(db.dimensions, "HR^Time").levels.at(2);
    EXPECT_EQ(month.memberKeyColumn, QStringLiteral("month_of_year"));
    EXPECT_EQ(month.memberNameColumn, QStringLiteral("the_month"));
    EXPECT_EQ(named(db.dimensions, "Sales^Marital Status").levels.at(0).estimatedSize, 111);
    EXPECT_EQ(month.estimatedSize, 0) << "a level without approxRowCount counts no members";
    const LevelData& storeName = named(db.dimensions, "Store").levels.at(3);
    ASSERT_EQ(storeName.memberProperties.size(), 8u);
    EXPECT_EQ(storeName.memberProperties[7].name, QStringLiteral("Street address"));
    EXPECT_EQ(storeName.memberProperties[7].sourceColumn, QStringLiteral("store_street_address"));
}

TEST(MondrianFoodMart, MeasuresPartitionsAndCommands) {
    const DatabaseData& db = foodMart();
    const CubeData& sales = named(db.cubes, "Sales");
    EXPECT_EQ(namesOf(sales.measures), texts({"Unit Sales", "Store Cost", "Store Sales", "Sales Count",
                                              "Customer Count", "Promotion Sales"}));
    const std::vector<qint32> aggregators = {0, 0, 0, 1, 4, 0};
    for (std::size_t i = 0; i < aggregators.size(); ++i)
        EXPECT_EQ(sales.measures.at(i).aggregateFunction, aggregators[i]) << i;
    EXPECT_EQ(sales.measures[1].formatString, QStringLiteral("#,###.00"));
    EXPECT_EQ(sales.measures[0].sourceColumn, QStringLiteral("unit_sales"));
    EXPECT_EQ(sales.measures[5].sourceColumn, QStringLiteral("expression"));

    ASSERT_EQ(sales.partitions.size(), 1u);
    const PartitionData& fact = sales.partitions[0];
    EXPECT_EQ(fact.name, QStringLiteral("sales_fact_1997"));
    EXPECT_EQ(fact.storageMode, 3);
    EXPECT_EQ(namesOf(fact.aggregations), texts({"agg_c_special_sales_fact_1997"}));
    ASSERT_EQ(fact.dataSources.size(), 1u);
    EXPECT_EQ(fact.dataSources[0].name, QStringLiteral("FoodMart"));

    EXPECT_EQ(namesOf(sales.commands), texts({"Profit", "Profit last Period", "Profit Growth"}));
    EXPECT_EQ(sales.commands[0].statement,
              QStringLiteral("CREATE MEMBER [Sales].[Measures].[Profit] AS '[Measures].[Store Sales] - "
                             "[Measures].[Store Cost]'"));
    EXPECT_EQ(named(db.cubes, "Warehouse").commands.at(1).statement,
              QStringLiteral("CREATE SET [Warehouse].[Top Sellers] AS 'TopCount([Warehouse].[Warehouse Name]."
                             "MEMBERS, 5, [Measures].[Warehouse Sales])'"));

    const CubeData& both = named(db.cubes, "Warehouse and Sales");
    EXPECT_TRUE(both.partitions.empty());
    EXPECT_EQ(both.measures.size(), 11u);
    EXPECT_EQ(named(both.measures, "Sales Count").aggregateFunction, 1);
    EXPECT_EQ(namesOf(both.commands),
              texts({"Profit", "Profit Growth", "Average Warehouse Sale", "Profit Per Unit Shipped"}));
    EXPECT_EQ(both.commands[3].statement,
              QStringLiteral("CREATE MEMBER [Warehouse and Sales].[Measures].[Profit Per Unit Shipped] AS "
                             "'[Measures].[Profit] / [Measures].[Units Shipped]'"));
}

TEST(MondrianFoodMart, RolesAreCarriedByTheCubesTheyGrantInFull) {
    const DatabaseData& db = foodMart();
    EXPECT_EQ(namesOf(db.roles), texts({"California manager", "No HR Cube", "Administrator"}));
    EXPECT_EQ(texts(named(db.cubes, "Sales").roles), texts({"California manager"}));
    EXPECT_TRUE(named(db.cubes, "HR").roles.empty());
}

TEST(MondrianSchema, CornerCases) {
    const ServerData server = readSchema(R"(<?xml version="1.0"?>
<Schema name="S">
  <Dimension name="D">
    <Hierarchy><Level name="L" levelType="TimeHalfYears" visible="false" approxRowCount="7"/></Hierarchy>
    <Hierarchy name="Fiscal"><Level name="F" levelType="TimeHours"/></Hierarchy>
    <Hierarchy><Level name="G" levelType="Odd"/></Hierarchy>
  </Dimension>
  <Cube name="C">
    <View alias="v"/>
    <DimensionUsage name="Other" source="D"/>
    <DimensionUsage source="D"/>
    <Dimension name="P"><Hierarchy/><Hierarchy name="H"/></Dimension>
    <Measure name="sum" aggregator="sum"/>
    <Measure name="count" aggregator="count"/>
    <Measure name="min" aggregator="MIN"/>
    <Measure name="max" aggregator="max"/>
    <Measure name="distinct" aggregator="distinct-count"/>
    <Measure name="avg" aggregator="avg"/>
    <Measure name="other" aggregator="median" visible="false">
      <CalculatedMemberProperty name="FORMAT_STRING" value="0.0"/>
    </Measure>
    <Measure name="none"/>
    <CalculatedMember name="A]B" hierarchy="[D].[Fiscal]">
      <Formula>
        1 + 1
      </Formula>
      <CalculatedMemberProperty name="SOLVE_ORDER" value="-3"/>
    </CalculatedMember>
    <CalculatedMember name="Child" parent="[D].[All]" formula="2"/>
    <NamedSet name="Own" formula="{}"/>
  </Cube>
  <VirtualCube name="V">
    <VirtualCubeMeasure cubeName="C" name="[Measures].[sum]" visible="false"/>
    <VirtualCubeMeasure cubeName="C" name="[Measures].[Fact Count]"/>
  </VirtualCube>
  <NamedSet name="Everywhere"><Formula>{[D].Members}</Formula></NamedSet>
  <Role name="R">
    <SchemaGrant access="none">
      <CubeGrant cube="V" access="all"/><CubeGrant cube="V" access="all"/><CubeGrant cube="C" access="custom"/>
    </SchemaGrant>
  </Role>
</Schema>)",
                                         QDateTime());
    const DatabaseData& db = server.databases.at(0);
    EXPECT_EQ(namesOf(db.dimensions), texts({"D", "D.Fiscal", "D.D", "C^P", "C^P.H"}));
    const LevelData& level = db.dimensions[0].levels.at(0);
    EXPECT_EQ(level.levelType, 36);
    EXPECT_TRUE(level.hidden);
    EXPECT_EQ(level.estimatedSize, 7);
    EXPECT_EQ(db.dimensions[1].levels.at(0).levelType, 772);
    EXPECT_EQ(db.dimensions[2].levels.at(0).levelType, 0);

    const CubeData& cube = db.cubes.at(0);
    EXPECT_FALSE(cube.lastProcessed);
    EXPECT_EQ(cube.partitions.at(0).name, QStringLiteral("v"));
    EXPECT_EQ(texts(cube.dimensions), texts({"D", "D.Fiscal", "D.D", "C^P", "C^P.H"}));
    std::vector<qint32> aggregators;
    for (const MeasureData& measure : cube.measures)
        aggregators.push_back(measure.aggregateFunction);
    EXPECT_EQ(aggregators, (std::vector<qint32>{0, 1, 2, 3, 4, 5, 6, 0}));
    EXPECT_TRUE(cube.measures[6].internal);
    EXPECT_EQ(cube.measures[6].formatString, QStringLiteral("0.0"));
    EXPECT_FALSE(cube.measures[5].internal);

    ASSERT_EQ(cube.commands.size(), 4u);
    EXPECT_EQ(cube.commands[0].statement, QStringLiteral("CREATE MEMBER [C].[D].[Fiscal].[A]]B] AS '1 + 1'"));
    EXPECT_EQ(cube.commands[0].solveOrder, -3);
    EXPECT_EQ(cube.commands[1].statement, QStringLiteral("CREATE MEMBER [C].[D].[All].[Child] AS '2'"));
    EXPECT_EQ(cube.commands[2].statement, QStringLiteral("CREATE SET [C].[Own] AS '{}'"));
    EXPECT_EQ(cube.commands[3].statement, QStringLiteral("CREATE SET [C].[Everywhere] AS '{[D].Members}'"));
    EXPECT_TRUE(cube.roles.empty());

    const CubeData& virtualCube = db.cubes.at(1);
    EXPECT_EQ(namesOf(virtualCube.measures), texts({"sum", "Fact Count"}));
    EXPECT_TRUE(virtualCube.measures[0].internal);
    EXPECT_EQ(namesOf(virtualCube.commands), texts({"Everywhere"}));
    EXPECT_EQ(texts(virtualCube.roles), texts({"R"}));
}

TEST(MondrianSchema, FaultsNameTheirLineAndColumn) {
    struct Case {
        const char* xml;
        const char* expected;
    };
    const Case cases[] = {
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
         "name='D'/>"
         "</VirtualCube></Schema>",
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
    for (const Case& c : cases) {
        const QString failure = schemaFailure(c.xml);
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
    EXPECT_TRUE(
        schemaFailure("<Schema name='S'>" + cubes + sets + "</Schema>").contains(QLatin1String("expand")));
    EXPECT_TRUE(schemaFailure(laughs).contains(QLatin1String("entity expansion limit")));
    EXPECT_LT(timer.elapsed(), 10000);
}

} // namespace
