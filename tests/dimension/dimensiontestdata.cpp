#include "dimensiontestdata.h"

#include "olap.h"
#include "testsupport.h"

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
    LevelData level;
    level.name = name;
    level.estimatedSize = members;
    level.levelType = type;
    level.memberNameColumn = nameColumn;
    level.memberKeyColumn = keyColumn;
    level.memberProperties = std::move(properties);
    return level;
}

DimensionData dimension(const QString& name, bool shared, std::optional<QDateTime> lastProcessed,
                        qint32 dimensionType, qint32 virtualCode, std::vector<LevelData> levels = {}) {
    DimensionData dimension = dimensionNamed(name);
    dimension.shared = shared;
    dimension.state = lastProcessed ? 1 : 0;
    dimension.lastProcessed = lastProcessed;
    dimension.dimensionType = dimensionType;
    dimension.virtualCode = virtualCode;
    dimension.levels = std::move(levels);
    return dimension;
}

Olap::CubeData cube(const QString& name, std::optional<QDateTime> lastProcessed, std::optional<double> size,
                    std::vector<QString> dimensions) {
    Olap::CubeData cube = cubeUsing(name, std::move(dimensions));
    cube.state = lastProcessed ? 1 : 0;
    cube.lastProcessed = lastProcessed;
    cube.estimatedSize = size;
    return cube;
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

DimensionData dimensionNamed(const QString& name) {
    DimensionData dimension;
    dimension.name = name;
    return dimension;
}

Olap::CubeData cubeUsing(const QString& name, std::vector<QString> dimensions) {
    Olap::CubeData cube;
    cube.name = name;
    cube.dimensions = std::move(dimensions);
    return cube;
}

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

std::shared_ptr<Olap::ServerData> serverWithDimensions(const std::vector<int>& dimensionsPerDatabase) {
    auto server = std::make_shared<Olap::ServerData>();
    server->name = u"COUNTS"_s;
    for (std::size_t i = 0; i < dimensionsPerDatabase.size(); ++i) {
        Olap::DatabaseData database;
        database.name = u"DB"_s + QString::number(i + 1);
        for (int j = 1; j <= dimensionsPerDatabase[i]; ++j) {
            database.dimensions.push_back(dimensionNamed(u"D"_s + QString::number(j)));
            database.dimensions.back().state = j % 2;
        }
        server->databases.push_back(std::move(database));
    }
    return server;
}

namespace {
std::unique_ptr<SelectorState> stateFor(std::shared_ptr<const Olap::ServerData> data, ProgressLog* log) {
    auto state = std::make_unique<SelectorState>();
    state->DSOServer = Olap::ServerFromModel(std::move(data));
    if (log) {
        state->InitMode = imApplication;
        state->progress = std::make_unique<RecordingProgress>(*log);
    }
    return state;
}
} // namespace

Selector::Selector(std::shared_ptr<const Olap::ServerData> data, ProgressLog* log)
    : state(stateFor(std::move(data), log))
    , kind(*state) {
    kind.GetCatalogue();
    kind.GetInfoTree();
}

void Selector::tick(std::initializer_list<qint32> rows) {
    for (qint32 row : rows)
        state->catalogueRows.at(4, row) = true;
}

void Selector::check(std::initializer_list<qint32> categories) {
    for (qint32 category : categories)
        state->infoTreeRows.at(category, 3) = true;
}

QString Selector::writePage() {
    const QString path = freshFolder() + u"/page.html"_s;
    state->pageFile = [&path](QString& made) {
        made = path;
        return true;
    };
    state->openPages = false;
    kind.CreateReport();
    return path;
}

} // namespace Lorvantic::Test
