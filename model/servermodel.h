#pragma once

// The in-memory server model that every backend fills (server descriptions, schema files) and
// that the object model below answers from. Plain data: tests build it directly.

#include <QDateTime>
#include <QHash>
#include <QString>
#include <algorithm>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace Lorvantic::Olap {

// Where an object is defined in the file it was read from: 1-based line and column of its name
// (server descriptions) or just after its start tag (schema files), as the readers' error
// messages give them. Line 0: not known (live servers, models built in code).
struct SourcePosition {
    qint32 line = 0;
    qint32 column = 0;
};

// The position of a reader's 64-bit line and column (beyond the range: the range's end).
inline SourcePosition SourceAt(qint64 line, qint64 column) {
    constexpr qint64 Max = std::numeric_limits<qint32>::max();
    return {static_cast<qint32>(std::min(line, Max)), static_cast<qint32>(std::min(column, Max))};
}

struct MemberPropertyData {
    QString name;
    QString sourceColumn;
};

struct LevelData {
    QString name;
    std::optional<qint32> estimatedSize; // missing: the level does not answer
    qint32 levelType = 0;
    QString memberKeyColumn;
    QString memberNameColumn;
    bool hidden = false;
    bool aggregation = false;
    std::vector<MemberPropertyData> memberProperties;
    SourcePosition at;
};

struct DimensionData {
    QString name;
    bool shared = false;
    qint32 state = 0;
    std::optional<QDateTime> lastProcessed;
    qint32 dimensionType = 0;
    qint32 virtualCode = 0;
    std::vector<LevelData> levels;
    SourcePosition at;
};

struct DataSourceData {
    QString name;
    QString connectionString;
};

struct AggregationData {
    QString name;
};

struct PartitionData {
    QString name;
    qint32 storageMode = 0;
    std::vector<AggregationData> aggregations;
    std::vector<DataSourceData> dataSources;
    SourcePosition at;
};

struct MeasureData {
    QString name;
    qint32 aggregateFunction = 0;
    QString formatString;
    bool internal = false;
    QString sourceColumn;
    SourcePosition at;
};

struct CommandData {
    QString name;
    qint16 solveOrder = 0;
    QString statement;
    SourcePosition at;
};

struct RoleData {
    QString name;
    QString description;
    QString users;
    SourcePosition at;
};

struct CubeData {
    QString name;
    qint32 state = 0;
    std::optional<QDateTime> lastProcessed;
    std::optional<double> estimatedSize;
    std::vector<QString> dimensions; // names of the database's dimensions
    std::vector<QString> roles;      // names of the database's roles
    std::vector<PartitionData> partitions;
    std::vector<MeasureData> measures;
    std::vector<CommandData> commands;
    SourcePosition at;
    // Why the server could not give the cube's parts (its fault), empty when it gave them: the
    // cube then has its name, state and processing time only.
    QString readFault;
};

struct DatabaseData {
    QString name;
    std::vector<DimensionData> dimensions;
    std::vector<CubeData> cubes;
    std::vector<RoleData> roles;
    SourcePosition at;
};

struct ServerData {
    QString name;
    std::vector<DatabaseData> databases;
};

// Checks the cross references of a model (a cube's dimensions and roles name entries of its
// database); returns a description of the first broken one, or an empty string.
QString FindBrokenReference(const ServerData& data);

// A server object answering from a model that is already loaded. Connect() is not used.
std::shared_ptr<class Server> ServerFromModel(std::shared_ptr<const ServerData> data);

} // namespace Lorvantic::Olap
