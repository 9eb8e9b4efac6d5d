#include "tests/dimension/dimensiontestdata.h"

namespace Lorvantic::Test {

using namespace Qt::StringLiterals;
using Olap::DimensionData;
using Olap::LevelData;

namespace {

QDateTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

LevelData level(const QString& name, qint32 members, qint32 type, const QString& nameColumn,
                const QString& keyColumn, std::vector<Olap::MemberPropertyData> properties = {}) {
    return {name, members, type, keyColumn, nameColumn, false, false, std::move(properties)};
}

DimensionData dimension(const QString& name, bool shared, std::optional<QDateTime> lastProcessed,
                        qint32 dimensionType, qint32 virtualCode, std::vector<LevelData> levels = {}) {
    return {name,          shared,      lastProcessed ? 1 : 0, lastProcessed,
            dimensionType, virtualCode, std::move(levels)};
}

Olap::CubeData cube(const QString& name, std::optional<QDateTime> lastProcessed, std::optional<double> size,
                    std::vector<QString> dimensions) {
    return {name, lastProcessed ? 1 : 0, lastProcessed, size, std::move(dimensions), {}, {}, {}, {}};
}

DimensionData timeDimension() {
    return dimension(
        u"Time"_s, true, at(2026, 11, 30, 14, 5), 1, 0,
        {
            level(u"(All)"_s, 1, 1, u""_s, u""_s),
            level(u"Year"_s, 3, 20, u""_s, u"\"time_by_day\".\"the_year\""_s,
                  {{u"Fiscal Year"_s, u"\"time_by_day\".\"fiscal\""_s}, {u"Calendar"_s, u""_s}}),
            level(u"Half"_s, 6, 36, u"half_name"_s, u"half_key"_s),
            level(u"Quarter"_s, 12, 68, u"quarter_name"_s, u"quarter_key"_s),
            level(u"Month"_s, 36, 132, u"month_name"_s, u""_s, {{u"Days in Month"_s, u"days_in_month"_s}}),
            level(u"Week"_s, 156, 260, u"week_name"_s, u"week_key"_s),
            level(u"Day"_s, 1095, 516, u"day_name"_s, u"day_key"_s),
            level(u"Hour"_s, 26280, 772, u"hour_name"_s, u"hour_key"_s),
            level(u"Minute"_s, 1576800, 1028, u"minute_name"_s, u"minute_key"_s),
            level(u"Second"_s, 94608000, 2052, u"second_name"_s, u"second_key"_s),
        });
}

} // namespace

std::shared_ptr<Olap::ServerData> dimensionServer() {
    Olap::DatabaseData foodMart;
    foodMart.name = u"FoodMart"_s;
    DimensionData storeSize = dimension(u"Store Size"_s, true, at(2026, 1, 15), 2, 1);
    storeSize.state = 3;
    foodMart.dimensions = {
        timeDimension(),
        dimension(u"Sales^Promotion Media"_s, false, std::nullopt, 0, 1,
                  {level(u"Media Type"_s, 14, 0, u""_s, u"media_type"_s)}),
        storeSize,
        dimension(
            u"R&D <Labs>"_s, true, at(2025, 7, 4, 9, 30, 15), 0, 2,
            {level(u"Lab"_s, 4, 4, u"lab_name"_s, u"lab_id"_s, {{u"Head & <Chief>"_s, u"lab.head"_s}})}),
    };
    foodMart.cubes = {
        cube(u"Sales"_s, at(2026, 11, 30, 14, 5), 1048576,
             {u"Time"_s, u"Sales^Promotion Media"_s, u"Store Size"_s}),
        cube(u"Budget"_s, std::nullopt, 5000, {u"Store Size"_s, u"Time"_s}),
        cube(u"Warehouse"_s, at(2026, 6, 1), std::nullopt, {u"Time"_s}),
    };
    Olap::DatabaseData lab;
    lab.name = u"Lab & <Test>"_s;
    lab.dimensions = {dimension(u"Product"_s, true, at(2026, 2, 3, 4, 5, 6), 0, 0,
                                {level(u"Category"_s, 7, 0, u"cat_name"_s, u"cat_id"_s)})};
    lab.cubes = {cube(u"Trials"_s, at(2026, 2, 3, 4, 5, 6), 2621440, {u"Product"_s})};
    auto server = std::make_shared<Olap::ServerData>();
    server->name = u"OLAPTEST01"_s;
    server->databases = {foodMart, lab};
    return server;
}

} // namespace Lorvantic::Test
