#include "external/readers/mondrianschema.h"
#include "tests/schemas/schematest.h"

#include <QElapsedTimer>
#include <QFile>

using namespace Lorvantic;
using namespace Lorvantic::Olap;
using namespace Lorvantic::Test;
using namespace Qt::StringLiterals;

namespace {

const QDateTime FileTime(QDate(2024, 5, 6), QTime(7, 8, 9));

SchemaReader processedAt(const QDateTime& time) {
    return [time](QIODevice& d, const QString& o) {
        return ReadMondrianSchema(d, o, time);
    };
}

const DatabaseData& foodMart() {
    static const ServerData server = [] {
        QFile file(QStringLiteral(LORVANTIC_SOURCE_DIR "/samples/servers/FoodMart.xml"));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return ReadMondrianSchema(file, u"FoodMart"_s, FileTime);
    }();
    EXPECT_EQ(server.name, u"FoodMart"_s);
    EXPECT_EQ(FindBrokenReference(server), QString());
    return server.databases.at(0);
}

QString measuresOf(const CubeData& cube) {
    return listOf(cube.measures, [](const MeasureData& m) {
        return u"%1:%2%3"_s.arg(m.name).arg(m.aggregateFunction).arg(m.internal ? u"*"_s : QString());
    });
}

TEST(MondrianFoodMart, CubesAndVirtualCubeAreProcessedAtTheFileTime) {
    const DatabaseData& db = foodMart();
    EXPECT_EQ(db.name, u"FoodMart"_s);
    EXPECT_EQ(namesOf(db.cubes), u"Sales|Warehouse|Store|HR|Sales Ragged|Sales 2|Warehouse and Sales"_s);
    for (const CubeData& cube : db.cubes) {
        EXPECT_EQ(cube.state, 1) << cube.name.toStdString();
        EXPECT_EQ(cube.lastProcessed, FileTime);
        EXPECT_FALSE(cube.estimatedSize);
    }
}

TEST(MondrianFoodMart, CubesUseSharedPrivateAndHierarchyDimensions) {
    const DatabaseData& db = foodMart();
    EXPECT_EQ(joined(named(db.cubes, "Sales").dimensions),
              u"Store|Store Size in SQFT|Store Type|Time|Time.Weekly|Product|Sales^Promotion Media|"
              "Sales^Promotions|Sales^Customers|Sales^Education Level|Sales^Gender|Sales^Marital Status|"
              "Sales^Yearly Income"_s);
    EXPECT_EQ(
        joined(named(db.cubes, "Warehouse and Sales").dimensions),
        u"Sales^Customers|Sales^Education Level|Sales^Gender|Sales^Marital Status|Product|"
        "Sales^Promotion Media|Sales^Promotions|Store|Time|Time.Weekly|Sales^Yearly Income|Warehouse"_s);
    EXPECT_EQ(joined(named(db.cubes, "Store").dimensions), u"Store^Store Type|Store|Store^Has coffee bar"_s);
    EXPECT_TRUE(named(db.dimensions, "Store").shared);
    EXPECT_FALSE(named(db.dimensions, "HR^Employees").shared);
}

TEST(MondrianFoodMart, LevelsCarryTypesSizesColumnsAndProperties) {
    const DatabaseData& db = foodMart();
    const struct {
        const char* dimension;
        qint32 dimensionType;
        const char* levels; // name:type|...
    } table[] = {
        {"Time", 1, "Year:20|Quarter:68|Month:132"},
        {"Time.Weekly", 1, "Year:20|Week:260|Day:516"},
        {"HR^Time", 1, "Year:20|Quarter:68|Month:132"},
        {"Store", 0, "Store Country:0|Store State:0|Store City:0|Store Name:0"},
    };
    for (const auto& e : table) {
        const DimensionData& dimension = named(db.dimensions, e.dimension);
        EXPECT_EQ(dimension.dimensionType, e.dimensionType) << e.dimension;
        EXPECT_EQ(listOf(dimension.levels,
                         [](const LevelData& l) -> QString {
                             return l.name + u':' + QString::number(l.levelType);
                         }),
                  QLatin1String(e.levels));
    }
    const LevelData& month = named(db.dimensions, "HR^Time").levels.at(2);
    EXPECT_EQ(month.memberKeyColumn, u"month_of_year"_s);
    EXPECT_EQ(month.memberNameColumn, u"the_month"_s);
    EXPECT_EQ(named(db.dimensions, "Sales^Marital Status").levels.at(0).estimatedSize, 111);
    EXPECT_EQ(month.estimatedSize, 0) << "a level without approxRowCount counts no members";
    const LevelData& storeName = named(db.dimensions, "Store").levels.at(3);
    ASSERT_EQ(storeName.memberProperties.size(), 8u);
    EXPECT_EQ(storeName.memberProperties[7].name, u"Street address"_s);
    EXPECT_EQ(storeName.memberProperties[7].sourceColumn, u"store_street_address"_s);
}

TEST(MondrianFoodMart, MeasuresPartitionsCommandsAndRoles) {
    const DatabaseData& db = foodMart();
    const CubeData& sales = named(db.cubes, "Sales");
    EXPECT_EQ(measuresOf(sales), u"Unit Sales:0|Store Cost:0|Store Sales:0|Sales Count:1|Customer Count:4|"
                                 "Promotion Sales:0"_s);
    EXPECT_EQ(sales.measures[1].formatString, u"#,###.00"_s);
    EXPECT_EQ(sales.measures[0].sourceColumn, u"unit_sales"_s);
    EXPECT_EQ(sales.measures[5].sourceColumn, u"expression"_s);

    ASSERT_EQ(sales.partitions.size(), 1u);
    const PartitionData& fact = sales.partitions[0];
    EXPECT_EQ(fact.name, u"sales_fact_1997"_s);
    EXPECT_EQ(fact.storageMode, 3);
    EXPECT_EQ(namesOf(fact.aggregations), u"agg_c_special_sales_fact_1997"_s);
    EXPECT_EQ(namesOf(fact.dataSources), u"FoodMart"_s);

    EXPECT_EQ(namesOf(sales.commands), u"Profit|Profit last Period|Profit Growth"_s);
    EXPECT_EQ(
        sales.commands[0].statement,
        u"CREATE MEMBER [Sales].[Measures].[Profit] AS '[Measures].[Store Sales] - [Measures].[Store Cost]'"_s);
    EXPECT_EQ(named(db.cubes, "Warehouse").commands.at(1).statement,
              u"CREATE SET [Warehouse].[Top Sellers] AS 'TopCount([Warehouse].[Warehouse Name].MEMBERS, 5, "
              "[Measures].[Warehouse Sales])'"_s);

    const CubeData& both = named(db.cubes, "Warehouse and Sales");
    EXPECT_TRUE(both.partitions.empty());
    EXPECT_EQ(both.measures.size(), 11u);
    EXPECT_EQ(named(both.measures, "Sales Count").aggregateFunction, 1);
    EXPECT_EQ(namesOf(both.commands),
              u"Profit|Profit Growth|Average Warehouse Sale|Profit Per Unit Shipped"_s);
    EXPECT_EQ(both.commands[3].statement,
              u"CREATE MEMBER [Warehouse and Sales].[Measures].[Profit Per Unit Shipped] AS "
              "'[Measures].[Profit] / [Measures].[Units Shipped]'"_s);
    // Roles are carried by the cubes they grant in full.
    EXPECT_EQ(namesOf(db.roles), u"California manager|No HR Cube|Administrator"_s);
    EXPECT_EQ(joined(sales.roles), u"California manager"_s);
    EXPECT_TRUE(named(db.cubes, "HR").roles.empty());
}

TEST(MondrianSchema, CornerCases) {
    const ServerData server = readText(processedAt(QDateTime()), R"(<?xml version="1.0"?>
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
</Schema>)");
    EXPECT_EQ(describe(server), uR"~(database S
dimension D shared=true state=0 processed=- type=0 virtual=0
 level L size=7 type=36 key= name= hidden=true aggregation=false
dimension D.Fiscal shared=true state=0 processed=- type=0 virtual=0
 level F size=0 type=772 key= name= hidden=false aggregation=false
dimension D.D shared=true state=0 processed=- type=0 virtual=0
 level G size=0 type=0 key= name= hidden=false aggregation=false
dimension C^P shared=false state=0 processed=- type=0 virtual=0
dimension C^P.H shared=false state=0 processed=- type=0 virtual=0
cube C state=1 processed=- size=- dimensions=D,D.Fiscal,D.D,C^P,C^P.H roles=
 partition v storage=3 aggregations= sources=S=
 measure sum function=0 format= internal=false column=
 measure count function=1 format= internal=false column=
 measure min function=2 format= internal=false column=
 measure max function=3 format= internal=false column=
 measure distinct function=4 format= internal=false column=
 measure avg function=5 format= internal=false column=
 measure other function=6 format=0.0 internal=true column=
 measure none function=0 format= internal=false column=
 command A]B order=-3 CREATE MEMBER [C].[D].[Fiscal].[A]]B] AS '1 + 1'
 command Child order=0 CREATE MEMBER [C].[D].[All].[Child] AS '2'
 command Own order=0 CREATE SET [C].[Own] AS '{}'
 command Everywhere order=0 CREATE SET [C].[Everywhere] AS '{[D].Members}'
cube V state=1 processed=- size=- dimensions= roles=R
 measure sum function=0 format= internal=true column=
 measure Fact Count function=0 format= internal=false column=
 command Everywhere order=0 CREATE SET [V].[Everywhere] AS '{[D].Members}'
role R () users=)~"_s);
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

} // namespace
