#include "tests/cube/testserver.h"

namespace Lorvantic::Test {

using namespace Olap;
using namespace Qt::StringLiterals;

namespace {

LevelData level(const QString& name, bool hidden, bool aggregation) {
    return {name, std::nullopt, 0, {}, {}, hidden, aggregation, {}};
}

DimensionData dimension(const QString& name, bool shared, std::vector<LevelData> levels) {
    return {name, shared, 0, std::nullopt, 0, 0, std::move(levels)};
}

PartitionData partition(const QString& name, qint32 storageMode, int aggregations,
                        std::vector<DataSourceData> dataSources) {
    PartitionData data{name, storageMode, {}, std::move(dataSources)};
    for (int i = 0; i < aggregations; ++i)
        data.aggregations.push_back({u"Aggregation %1"_s.arg(i)});
    return data;
}

CubeData cube(const QString& name, qint32 state, std::optional<QDateTime> lastProcessed,
              std::optional<double> size, std::vector<QString> dimensions, std::vector<QString> roles = {}) {
    return {name, state, lastProcessed, size, std::move(dimensions), std::move(roles), {}, {}, {}};
}

DatabaseData foodMart() {
    DatabaseData db;
    db.name = u"FoodMart"_s;
    db.dimensions = {
        dimension(u"Time"_s, true,
                  {level(u"Year"_s, false, true), level(u"Quarter"_s, false, false),
                   level(u"Month"_s, true, true)}),
        dimension(u"Sales^Promotion Media"_s, false, {level(u"Media Type"_s, false, true)}),
        dimension(u"Store"_s, true,
                  {level(u"Store Country"_s, false, true), level(u"Store Name"_s, false, false)}),
    };
    db.roles = {{u"All Users"_s, {}, {}}, {u"Managers & Co"_s, {}, {}}};

    CubeData sales = cube(u"Sales"_s, 1, QDateTime(QDate(2026, 11, 30), QTime(14, 5)), 1048576.0,
                          {u"Time"_s, u"Sales^Promotion Media"_s}, {u"All Users"_s, u"Managers & Co"_s});
    sales.partitions = {
        partition(u"Sales 1997"_s, 0, 2,
                  {{u"FoodMart"_s, u"Provider=MSDASQL.1;Data Source=FoodMart 2000"_s}}),
        partition(
            u"Sales 1998"_s, 15, 0,
            {{u"Warehouse"_s, u"provider = SQLOLEDB.1 ;Persist Security Info=False;DATA SOURCE= wh01 "_s},
             {u"Ignored"_s, u"Provider=X;Data Source=Y"_s}}),
    };
    sales.measures = {{u"Unit Sales"_s, 0, u"Standard"_s, false, u"\"sales_fact_1997\".\"unit_sales\""_s},
                      {u"Store Cost"_s, 3, u""_s, true, u"\"sales_fact_1997\".\"store_cost\""_s}};
    sales.commands = {
        {u"Profit"_s, 0,
         u"CREATE MEMBER [Sales].[Measures].[Profit] AS '[Measures].[Store Sales]-[Measures].[Store Cost]'"_s},
        {u"Margin <%>"_s, 2, u"create member [Sales].[Measures].[Margin] AS '1'"_s},
    };

    CubeData budget = cube(u"Budget <2027>"_s, 0, std::nullopt, 5000.0, {u"Store"_s});
    budget.partitions = {partition(u"Plan"_s, 2, 1, {})};
    budget.measures = {{u"Amount"_s, 4, u"#,##0.00"_s, false, u"\"budget\".\"amount\""_s}};

    db.cubes = {sales, budget};
    return db;
}

DatabaseData tomAndJerry() {
    DatabaseData db;
    db.name = u"Tom's & Jerry's"_s;
    db.dimensions = {
        dimension(u"Product"_s, true, {level(u"(All)"_s, true, false), level(u"Category"_s, false, true)}),
        dimension(u"Inventory^Warehouse & Stock"_s, false, {level(u"Warehouse"_s, false, false)}),
    };
    db.roles = {{u"Readers"_s, {}, {}}};

    CubeData inventory = cube(u"Inventory"_s, 1, QDateTime(QDate(2026, 1, 2), QTime(0, 0)), std::nullopt,
                              {u"Product"_s, u"Inventory^Warehouse & Stock"_s}, {u"Readers"_s});
    inventory.partitions = {
        partition(u"Stock"_s, 1, 1, {{u"Stock DB"_s, u"Data Source=stock<01>;Initial Catalog=inv"_s}})};
    inventory.measures = {{u"Quantity"_s, 1, u"Standard"_s, false, u"\"inventory\".\"qty\""_s}};
    inventory.commands = {{u"Ratio"_s, -1, u"[Measures].[Quantity] / 2"_s}};

    db.cubes = {inventory, cube(u"Broken"_s, 1, std::nullopt, 0.0, {})};
    return db;
}

} // namespace

std::shared_ptr<const ServerData> cubeTestModel() {
    return std::make_shared<const ServerData>(ServerData{u"OLAPTEST01"_s, {foodMart(), tomAndJerry()}});
}

} // namespace Lorvantic::Test
