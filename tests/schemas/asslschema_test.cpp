#include "external/readers/asslschema.h"
#include "tests/schemas/schematest.h"
#include "tests/support/testsupport.h"

#include <QFile>

using namespace Lorvantic;
using namespace Lorvantic::Olap;
using namespace Lorvantic::Test;
using namespace Qt::StringLiterals;

namespace {

const ServerData& harborSales() {
    static const ServerData server = [] {
        QFile file(dataPath(u"schemas/HarborSales.asdatabase"_s));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return ReadAsslDatabase(file, u"HarborSales"_s);
    }();
    EXPECT_EQ(server.name, u"Harbor Sales"_s);
    EXPECT_EQ(FindBrokenReference(server), QString());
    return server;
}

// Levels come in hierarchy order; a level without a count counts no members; a script's
// CREATE statements become commands, the statement's own SOLVE_ORDER winning over its property.
TEST(AsslDatabase, ReadsTheWholeDatabase) {
    EXPECT_EQ(describe(harborSales()), uR"~(database Harbor Sales
dimension Date shared=true state=1 processed=2023-11-30T14:05:00.123 type=1 virtual=0
 level Year size=4 type=20 key= name= hidden=false aggregation=false
 level Quarter size=0 type=68 key= name= hidden=false aggregation=false
 level Month size=0 type=132 key=dbo_DimDate.CalendarYear, dbo_DimDate.MonthNumberOfYear name= hidden=false aggregation=false
  property Quarter=
 level Date size=1461 type=516 key=dbo_DimDate.DateKey name=dbo_DimDate.FullDate hidden=false aggregation=false
  property Month=dbo_DimDate.CalendarYear, dbo_DimDate.MonthNumberOfYear
  property Day Of Week=dbo_DimDate.DayNumberOfWeek
 level Day Of Week size=0 type=0 key=dbo_DimDate.DayNumberOfWeek name= hidden=true aggregation=false
dimension Product shared=true state=0 processed=- type=0 virtual=0
 level Product size=0 type=0 key=dbo_DimProduct.ProductKey name= hidden=false aggregation=false
 level Category size=0 type=0 key= name= hidden=false aggregation=false
cube Sales state=2 processed=2023-12-01T08:00:00.000 size=1573864 dimensions=Date,Product roles=Analysts,Auditors
 partition Sales 2023 storage=0 aggregations=Aggregation 0,Aggregation 1 sources=Harbor DW=Provider=SQLNCLI11.1;Data Source=dw01;Integrated Security=SSPI;Initial Catalog=HarborDW
 partition Sales 2024 storage=1 aggregations= sources=Harbor DW=Provider=SQLNCLI11.1;Data Source=dw01;Integrated Security=SSPI;Initial Catalog=HarborDW
 partition Inventory storage=3 aggregations= sources=Harbor DW=Provider=SQLNCLI11.1;Data Source=dw01;Integrated Security=SSPI;Initial Catalog=HarborDW
 measure Sales Amount function=0 format=Currency internal=false column=dbo_FactSales.SalesAmount
 measure Total Cost function=0 format= internal=true column=
 measure Sales Count function=1 format= internal=false column=dbo_FactSales
 measure Customer Count function=4 format= internal=false column=
 measure Units In Stock function=11 format= internal=false column=
 command Gross Margin order=5 CREATE MEMBER CURRENTCUBE.[Measures].[Gross Margin]
 AS [Measures].[Sales Amount] - [Measures].[Total Cost],
FORMAT_STRING = "Currency;;(red)",
VISIBLE = 1, SOLVE_ORDER = 5
 command Top Products order=0 CREATE DYNAMIC SET CURRENTCUBE.[Top Products]
 AS TopCount([Product].[Product].[Product].Members, 10, [Measures].[Sales Amount])
 command Margin % order=7 CREATE MEMBER CURRENTCUBE.[Measures].[Margin %] AS
[Measures].[Gross Margin] / [Measures].[Sales Amount], FORMAT_STRING = 'Percent'
role Analysts (Read the sales cube) users=CORP\alice;CORP\bob
role Auditors () users=)~"_s);
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

TEST(AsslDatabase, MissingValuesTakeTheirDefaults) {
    const ServerData server = readText(ReadAsslDatabase, cube(R"(
        <MeasureGroups><MeasureGroup>
          <Measures><Measure><Name>M</Name><AggregateFunction>AverageOfChildren</AggregateFunction></Measure>
                    <Measure><Name>N</Name><AggregateFunction>Median</AggregateFunction></Measure></Measures>
          <Partitions><Partition><Name>P</Name></Partition>
                      <Partition><Name>Q</Name><StorageMode>InMemory</StorageMode></Partition></Partitions>
        </MeasureGroup></MeasureGroups>
        <LastProcessed>0001-01-01T00:00:00Z</LastProcessed>)"));
    EXPECT_EQ(describe(server), uR"(database D
cube C state=0 processed=- size=- dimensions= roles=
 partition P storage=0 aggregations= sources=
 partition Q storage=-1 aggregations= sources=
 measure M function=7 format= internal=false column=
 measure N function=12 format= internal=false column=)"_s);
}

} // namespace
