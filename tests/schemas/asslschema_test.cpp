#include "asslschema.h"
#include "schematest.h"
#include "testsupport.h"

#include <QFile>

using namespace Lorvantic;
using namespace Lorvantic::Olap;
using namespace Lorvantic::Test;

namespace {

const DatabaseData& harborSales() {
    static const ServerData server = [] {
        QFile file(dataPath(QStringLiteral("schemas/HarborSales.asdatabase")));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return ReadAsslDatabase(file, QStringLiteral("HarborSales"));
    }();
    EXPECT_EQ(server.name, QStringLiteral("Harbor Sales"));
    return server.databases.at(0);
}

QString databaseFailure(const QByteArray& xml) {
    return failureOf(ReadAsslDatabase, xml);
}

TEST(AsslDatabase, DimensionsTakeTheirLevelsInHierarchyOrder) {
    const DatabaseData& db = harborSales();
    EXPECT_EQ(db.name, QStringLiteral("Harbor Sales"));
    EXPECT_EQ(namesOf(db.dimensions), texts({"Date", "Product"}));
    const DimensionData& date = db.dimensions[0];
    EXPECT_TRUE(date.shared);
    EXPECT_EQ(date.dimensionType, 1);
    EXPECT_EQ(date.state, 1);
    EXPECT_EQ(date.lastProcessed, QDateTime(QDate(2023, 11, 30), QTime(14, 5, 0, 123))); // tests run in UTC
    EXPECT_EQ(namesOf(date.levels), texts({"Year", "Quarter", "Month", "Date", "Day Of Week"}));
    std::vector<qint32> types;
    for (const LevelData& level : date.levels)
        types.push_back(level.levelType);
    EXPECT_EQ(types, (std::vector<qint32>{20, 68, 132, 516, 0}));
    EXPECT_EQ(date.levels[0].estimatedSize, 4);
    EXPECT_EQ(date.levels[1].estimatedSize, 0) << "a level without a count counts no members";
    EXPECT_TRUE(date.levels[4].hidden);
    EXPECT_EQ(date.levels[2].memberKeyColumn,
              QStringLiteral("dbo_DimDate.CalendarYear, dbo_DimDate.MonthNumberOfYear"));
    const LevelData& day = date.levels[3];
    EXPECT_EQ(day.memberKeyColumn, QStringLiteral("dbo_DimDate.DateKey"));
    EXPECT_EQ(day.memberNameColumn, QStringLiteral("dbo_DimDate.FullDate"));
    ASSERT_EQ(day.memberProperties.size(), 2u);
    EXPECT_EQ(day.memberProperties[1].name, QStringLiteral("Day Of Week"));
    EXPECT_EQ(day.memberProperties[1].sourceColumn, QStringLiteral("dbo_DimDate.DayNumberOfWeek"));

    const DimensionData& product = db.dimensions[1];
    EXPECT_EQ(product.dimensionType, 0);
    EXPECT_EQ(product.state, 0);
    EXPECT_FALSE(product.lastProcessed);
    EXPECT_EQ(namesOf(product.levels), texts({"Product", "Category"}));
}

TEST(AsslDatabase, CubeMeasuresPartitionsAndRoles) {
    const CubeData& cube = harborSales().cubes.at(0);
    EXPECT_EQ(cube.name, QStringLiteral("Sales"));
    EXPECT_EQ(cube.state, 2);
    EXPECT_EQ(cube.lastProcessed, QDateTime(QDate(2023, 12, 1), QTime(8, 0)));
    EXPECT_EQ(cube.estimatedSize, 1048576.0 + 524288.0 + 1000.0);
    EXPECT_EQ(texts(cube.dimensions), texts({"Date", "Product"}));
    EXPECT_EQ(texts(cube.roles), texts({"Analysts", "Auditors"}));

    EXPECT_EQ(namesOf(cube.measures),
              texts({"Sales Amount", "Total Cost", "Sales Count", "Customer Count", "Units In Stock"}));
    std::vector<qint32> functions;
    for (const MeasureData& measure : cube.measures)
        functions.push_back(measure.aggregateFunction);
    EXPECT_EQ(functions, (std::vector<qint32>{0, 0, 1, 4, 11}));
    EXPECT_EQ(cube.measures[0].formatString, QStringLiteral("Currency"));
    EXPECT_EQ(cube.measures[0].sourceColumn, QStringLiteral("dbo_FactSales.SalesAmount"));
    EXPECT_EQ(cube.measures[2].sourceColumn, QStringLiteral("dbo_FactSales"));
    EXPECT_TRUE(cube.measures[1].internal);
    EXPECT_FALSE(cube.measures[0].internal);

    struct Expected {
        const char* name;
        qint32 storageMode;
        std::size_t aggregations;
    };
    const Expected partitions[] = {{"Sales 2023", 0, 2}, {"Sales 2024", 1, 0}, {"Inventory", 3, 0}};
    ASSERT_EQ(cube.partitions.size(), std::size(partitions));
    for (std::size_t i = 0; i < cube.partitions.size(); ++i) {
        const PartitionData& partition = cube.partitions[i];
        EXPECT_EQ(partition.name, QString::fromLatin1(partitions[i].name));
        EXPECT_EQ(partition.storageMode, partitions[i].storageMode) << i;
        EXPECT_EQ(partition.aggregations.size(), partitions[i].aggregations) << i;
        ASSERT_EQ(partition.dataSources.size(), 1u);
        EXPECT_EQ(partition.dataSources[0].name, QStringLiteral("Harbor DW"));
        EXPECT_TRUE(
            partition.dataSources[0].connectionString.startsWith(QLatin1String("Provider=SQLNCLI11.1;")));
    }

    const RoleData& analysts = harborSales().roles.at(0);
    EXPECT_EQ(analysts.description, QStringLiteral("Read the sales cube"));
    EXPECT_EQ(analysts.users, QStringLiteral("CORP\\alice;CORP\\bob"));
}

TEST(AsslDatabase, ScriptCreateStatementsBecomeCommands) {
    const CubeData& cube = harborSales().cubes.at(0);
    EXPECT_EQ(namesOf(cube.commands), texts({"Gross Margin", "Top Products", "Margin %"}));
    EXPECT_EQ(
        cube.commands[0].statement,
        QStringLiteral("CREATE MEMBER CURRENTCUBE.[Measures].[Gross Margin]\n AS [Measures].[Sales Amount] - "
                       "[Measures].[Total Cost],\nFORMAT_STRING = \"Currency;;(red)\",\nVISIBLE = 1, "
                       "SOLVE_ORDER = 5"));
    EXPECT_EQ(cube.commands[0].solveOrder, 5); // the statement's own wins over its property
    EXPECT_EQ(
        cube.commands[1].statement,
        QStringLiteral("CREATE DYNAMIC SET CURRENTCUBE.[Top Products]\n AS TopCount([Product].[Product]."
                       "[Product].Members, 10, [Measures].[Sales Amount])"));
    EXPECT_EQ(cube.commands[1].solveOrder, 0);
    EXPECT_EQ(cube.commands[2].solveOrder, 7);
}

QByteArray database(const QByteArray& content) {
    return "<Database xmlns='http://schemas.microsoft.com/analysisservices/2003/engine'><Name>D</Name>\n" +
           content + "</Database>";
}

QByteArray cube(const QByteArray& content) {
    return database("<Cubes><Cube><Name>C</Name>\n" + content + "</Cube></Cubes>");
}

TEST(AsslDatabase, FaultsNameTheirLineAndColumn) {
    struct Case {
        QByteArray xml;
        const char* expected;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        const QString failure = databaseFailure(c.xml);
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
    const CubeData& data = server.databases.at(0).cubes.at(0);
    EXPECT_EQ(data.state, 0);
    EXPECT_FALSE(data.lastProcessed);
    EXPECT_FALSE(data.estimatedSize);
    EXPECT_EQ(data.measures.at(0).aggregateFunction, 7);
    EXPECT_EQ(data.measures.at(1).aggregateFunction, 12);
    EXPECT_EQ(data.partitions.at(0).storageMode, 0);
    EXPECT_TRUE(data.partitions[0].dataSources.empty());
    EXPECT_EQ(data.partitions.at(1).storageMode, -1);
}

} // namespace
