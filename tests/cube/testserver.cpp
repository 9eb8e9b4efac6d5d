#include "testserver.h"

#include "testsupport.h"

namespace Lorvantic::Test {

using namespace Olap;

namespace {

LevelData level(const char* name, bool hidden, bool aggregation) {
    LevelData data;
    data.name = QString::fromUtf8(name);
    data.hidden = hidden;
    data.aggregation = aggregation;
    return data;
}

DimensionData dimension(const char* name, bool shared, std::vector<LevelData> levels) {
    DimensionData data;
    data.name = QString::fromUtf8(name);
    data.shared = shared;
    data.levels = std::move(levels);
    return data;
}

PartitionData partition(const char* name, qint32 storageMode, int aggregations,
                        std::vector<DataSourceData> dataSources) {
    PartitionData data;
    data.name = QString::fromUtf8(name);
    data.storageMode = storageMode;
    for (int i = 0; i < aggregations; ++i)
        data.aggregations.push_back({QStringLiteral("Aggregation %1").arg(i)});
    data.dataSources = std::move(dataSources);
    return data;
}

MeasureData measure(const char* name, qint32 function, const char* format, bool internal,
                    const char* column) {
    return {QString::fromUtf8(name), function, QString::fromUtf8(format), internal,
            QString::fromUtf8(column)};
}

CommandData command(const char* name, qint16 solveOrder, const char* statement) {
    return {QString::fromUtf8(name), solveOrder, QString::fromUtf8(statement)};
}

RoleData role(const char* name) {
    return {QString::fromUtf8(name), QString(), QString()};
}

DatabaseData foodMart() {
    DatabaseData db;
    db.name = QStringLiteral("FoodMart");
    db.dimensions = {
        dimension("Time", true,
                  {level("Year", false, true), level("Quarter", false, false), level("Month", true, true)}),
        dimension("Sales^Promotion Media", false, {level("Media Type", false, true)}),
        dimension("Store", true, {level("Store Country", false, true), level("Store Name", false, false)}),
    };
    db.roles = {role("All Users"), role("Managers & Co")};

    CubeData sales;
    sales.name = QStringLiteral("Sales");
    sales.state = 1;
    sales.lastProcessed = QDateTime(QDate(2026, 11, 30), QTime(14, 5));
    sales.estimatedSize = 1048576.0;
    sales.dimensions = {QStringLiteral("Time"), QStringLiteral("Sales^Promotion Media")};
    sales.roles = {QStringLiteral("All Users"), QStringLiteral("Managers & Co")};
    sales.partitions = {
        partition(
            "Sales 1997", 0, 2,
            {{QStringLiteral("FoodMart"), QStringLiteral("Provider=MSDASQL.1;Data Source=FoodMart 2000")}}),
        partition("Sales 1998", 15, 0,
                  {{QStringLiteral("Warehouse"),
                    QStringLiteral("provider = SQLOLEDB.1 ;Persist Security Info=False;DATA SOURCE= wh01 ")},
                   {QStringLiteral("Ignored"), QStringLiteral("Provider=X;Data Source=Y")}}),
    };
    sales.measures = {
        measure("Unit Sales", 0, "Standard", false, "\"sales_fact_1997\".\"unit_sales\""),
        measure("Store Cost", 3, "", true, "\"sales_fact_1997\".\"store_cost\""),
    };
    sales.commands = {
        command("Profit", 0,
                "CREATE MEMBER [Sales].[Measures].[Profit] AS '[Measures].[Store Sales]-[Measures].[Store "
                "Cost]'"),
        command("Margin <%>", 2, "create member [Sales].[Measures].[Margin] AS '1'"),
    };

    CubeData budget;
    budget.name = QStringLiteral("Budget <2027>");
    budget.state = 0;
    budget.estimatedSize = 5000.0;
    budget.dimensions = {QStringLiteral("Store")};
    budget.partitions = {partition("Plan", 2, 1, {})};
    budget.measures = {measure("Amount", 4, "#,##0.00", false, "\"budget\".\"amount\"")};

    db.cubes = {sales, budget};
    return db;
}

DatabaseData tomAndJerry() {
    DatabaseData db;
    db.name = QStringLiteral("Tom's & Jerry's");
    db.dimensions = {
        dimension("Product", true, {level("(All)", true, false), level("Category", false, true)}),
        dimension("Inventory^Warehouse & Stock", false, {level("Warehouse", false, false)}),
    };
    db.roles = {role("Readers")};

    CubeData inventory;
    inventory.name = QStringLiteral("Inventory");
    inventory.state = 1;
    inventory.lastProcessed = QDateTime(QDate(2026, 1, 2), QTime(0, 0));
    inventory.dimensions = {QStringLiteral("Product"), QStringLiteral("Inventory^Warehouse & Stock")};
    inventory.roles = {QStringLiteral("Readers")};
    inventory.partitions = {partition(
        "Stock", 1, 1,
        {{QStringLiteral("Stock DB"), QStringLiteral("Data Source=stock<01>;Initial Catalog=inv")}})};
    inventory.measures = {measure("Quantity", 1, "Standard", false, "\"inventory\".\"qty\"")};
    inventory.commands = {command("Ratio", -1, "[Measures].[Quantity] / 2")};

    CubeData broken;
    broken.name = QStringLiteral("Broken");
    broken.state = 1;
    broken.estimatedSize = 0.0;

    db.cubes = {inventory, broken};
    return db;
}

} // namespace

std::shared_ptr<const ServerData> cubeTestModel() {
    auto data = std::make_shared<ServerData>();
    data->name = QStringLiteral("OLAPTEST01");
    data->databases = {foodMart(), tomAndJerry()};
    return data;
}

CubeSelector::CubeSelector(std::shared_ptr<Server> server) {
    state.DSOServer = std::move(server);
    state.ServerName = QStringLiteral("OLAPTEST01");
}

RecordingProgress& CubeSelector::recordProgress() {
    auto progress = std::make_unique<RecordingProgress>();
    RecordingProgress& recorder = *progress;
    state.InitMode = imApplication;
    state.progress = std::move(progress);
    return recorder;
}

void CubeSelector::checkCubes(const std::vector<const char*>& cubeNames) {
    VariantGrid& rows = state.catalogueRows;
    for (qint32 row = rows.lbound(2); row <= rows.ubound(2); ++row) {
        bool wanted = false;
        for (const char* name : cubeNames)
            wanted = wanted || rows.at(1, row).toString() == QString::fromUtf8(name);
        rows.at(4, row) = wanted;
    }
}

void CubeSelector::checkCategories(const std::vector<CubeInfoNames>& categories) {
    for (qint32 row = cinBegin + 1; row < cinEnd; ++row)
        state.infoTreeRows.at(row, 3) = false;
    for (CubeInfoNames category : categories)
        state.infoTreeRows.at(category, 3) = true;
}

void CubeSelector::checkAllCategories() {
    checkCategories({cinCubeRoles, cinpart, cinDS, cinDim, cinDimLevelName, cinMsr, cinCalcMbr});
}

QByteArray CubeSelector::runPage() {
    ScopedEnv epoch("SOURCE_DATE_EPOCH", QStringLiteral("0"));
    const QString path = freshFolder() + QStringLiteral("/page.html");
    state.pageFile = [path](QString& made) {
        made = path;
        return true;
    };
    state.openPages = false;
    kind.CreateReport();
    return readBytes(path);
}

} // namespace Lorvantic::Test
