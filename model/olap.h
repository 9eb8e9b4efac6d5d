#pragma once

// The OLAP administration object model the component reads: a server with its databases,
// and below them cubes, partitions, data sources, dimensions, levels, member properties,
// measures, commands and roles. Every read may fail with Lorvantic::Error; nothing here
// changes the server.

#include "lorvantic_export.h"
#include "model/error.h"

#include <QDateTime>
#include <QString>
#include <memory>
#include <vector>

namespace Lorvantic::Olap {

// A read-only collection: count, 1-based item by position, exact item by name.
template <class T> class LORVANTIC_EXPORT Collection {
public:
    virtual ~Collection() = default;
    virtual qint32 Count() const = 0;
    virtual std::shared_ptr<T> Item(qint32 position) const = 0;
    virtual std::shared_ptr<T> Item(const QString& name) const = 0;
};

class Store;
class DataSource;
class Dimension;
class Level;
class MemberProperty;
class Measure;
class Command;
class Role;

template <class T> using CollectionPtr = std::shared_ptr<const Collection<T>>;

// Databases, cubes, partitions and aggregations share this interface, as they share one in
// the administration model; a read that does not apply to the store's kind fails.
class LORVANTIC_EXPORT Store {
public:
    virtual ~Store() = default;
    virtual QString Name() const = 0;
    // Cube: 0 = never processed, anything else = processed.
    virtual qint32 State() const = 0;
    virtual QDateTime LastProcessed() const = 0;
    // Bytes.
    virtual double EstimatedSize() const = 0;
    // Partition.
    virtual qint32 StorageMode() const = 0;

    // Database.
    virtual CollectionPtr<Store> Cubes() const = 0;
    virtual CollectionPtr<Dimension> Dimensions() const = 0; // database and cube
    virtual CollectionPtr<Role> Roles() const = 0;           // database and cube
    // Cube.
    virtual CollectionPtr<Store> Partitions() const = 0;
    virtual CollectionPtr<Measure> Measures() const = 0;
    virtual CollectionPtr<Command> Commands() const = 0;
    // Partition.
    virtual CollectionPtr<Store> Aggregations() const = 0;
    virtual CollectionPtr<DataSource> DataSources() const = 0;

    // Database: the cubes that use the named dimension, or carry the named role (exact names),
    // in collection order. The answer is that of walking every cube's dimensions or roles up to
    // the first match; a backend may give it from an index.
    virtual std::vector<std::shared_ptr<Store>> CubesUsingDimension(const QString& dimensionName) const;
    virtual std::vector<std::shared_ptr<Store>> CubesCarryingRole(const QString& roleName) const;
    // Cube: why the server could not give its parts (then it has none), empty when it gave them.
    virtual QString ReadFault() const;
};

class LORVANTIC_EXPORT DataSource {
public:
    virtual ~DataSource() = default;
    virtual QString Name() const = 0;
    virtual QString ConnectionString() const = 0;
};

class LORVANTIC_EXPORT Dimension {
public:
    virtual ~Dimension() = default;
    virtual QString Name() const = 0;
    virtual bool IsShared() const = 0;
    virtual qint32 State() const = 0;
    virtual QDateTime LastProcessed() const = 0;
    virtual qint32 DimensionType() const = 0; // 1 = time
    virtual qint32 VirtualCode() const = 0;   // 1 = virtual
    virtual CollectionPtr<Level> Levels() const = 0;
};

class LORVANTIC_EXPORT Level {
public:
    virtual ~Level() = default;
    virtual QString Name() const = 0;
    virtual qint32 EstimatedSize() const = 0; // member count
    virtual qint32 LevelType() const = 0;
    virtual QString MemberKeyColumn() const = 0;
    virtual QString MemberNameColumn() const = 0;
    virtual bool IsHidden() const = 0;
    virtual bool EnableAggregations() const = 0;
    virtual CollectionPtr<MemberProperty> MemberProperties() const = 0;
};

class LORVANTIC_EXPORT MemberProperty {
public:
    virtual ~MemberProperty() = default;
    virtual QString Name() const = 0;
    virtual QString SourceColumn() const = 0;
};

class LORVANTIC_EXPORT Measure {
public:
    virtual ~Measure() = default;
    virtual QString Name() const = 0;
    virtual qint32 AggregateFunction() const = 0;
    virtual QString FormatString() const = 0;
    virtual bool IsInternal() const = 0;
    virtual QString SourceColumn() const = 0;
};

class LORVANTIC_EXPORT Command {
public:
    virtual ~Command() = default;
    virtual QString Name() const = 0;
    virtual QString Statement() const = 0;
    virtual qint16 SolveOrder() const = 0;
};

class LORVANTIC_EXPORT Role {
public:
    virtual ~Role() = default;
    virtual QString Name() const = 0;
    virtual QString Description() const = 0;
    virtual QString UsersList() const = 0; // names joined by ";"
};

// The server object: created empty, then connected to a name. Every read before a
// successful connect fails.
class LORVANTIC_EXPORT Server {
public:
    virtual ~Server() = default;
    // Raises Lorvantic::Error (negative number) when the name does not lead to a server.
    virtual void Connect(const QString& serverName) = 0;
    virtual QString Name() const = 0;
    virtual CollectionPtr<Store> Databases() const = 0;
};

// Creates a new, unconnected server object of the default backend (the server descriptions).
LORVANTIC_EXPORT std::shared_ptr<Server> CreateServer();

// A cube the server could not give (Store::ReadFault).
struct UnreadableCube {
    QString database;
    QString cube;
    QString fault;
};

// The cubes of the server that it could not give, in collection order.
std::vector<UnreadableCube> UnreadableCubes(const Server& server);

} // namespace Lorvantic::Olap
