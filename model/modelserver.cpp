// The object model over a loaded ServerData: light views that answer every read from memory.

#include "model/olap.h"
#include "model/servermodel.h"

#include <optional>

namespace Lorvantic::Olap {

namespace {

[[noreturn]] void notAnswered(const char* what) {
    throw Error(ErrorNumber::NotAnswered,
                QStringLiteral("The object does not hold a value for %1").arg(QLatin1String(what)));
}

[[noreturn]] void noItem(const QString& which) {
    throw Error(ErrorNumber::ItemNotFound, QStringLiteral("Item not found in the collection: %1").arg(which));
}

template <class Data> QHash<QString, qint32> nameIndex(const std::vector<Data>& items) {
    QHash<QString, qint32> index;
    index.reserve(static_cast<qsizetype>(items.size()));
    for (std::size_t i = 0; i < items.size(); ++i)
        if (!index.contains(items[i].name))
            index.insert(items[i].name, static_cast<qint32>(i));
    return index;
}

// Cube positions by the names their references lead to, in cube order, each cube once per
// name. Incomplete when a cube names something its database lacks: then only a walk, which
// fails where it meets that reference, gives the right answer.
struct UsersIndex {
    bool complete = true;
    QHash<QString, std::vector<qint32>> cubes;
};

// Name lookups and resolved references of one database, built once.
struct DatabaseIndex {
    QHash<QString, qint32> cubes;
    QHash<QString, qint32> dimensions;
    QHash<QString, qint32> roles;
    std::vector<std::vector<const DimensionData*>> cubeDimensions;
    std::vector<std::vector<const RoleData*>> cubeRoles;
    // Which cubes use each dimension and carry each role, built on first use.
    mutable std::optional<UsersIndex> dimensionUsers;
    mutable std::optional<UsersIndex> roleUsers;
};

template <class Data>
const UsersIndex* usersIndex(std::optional<UsersIndex>& index,
                             const std::vector<std::vector<const Data*>>& references) {
    if (!index) {
        index.emplace();
        for (std::size_t j = 0; j < references.size() && index->complete; ++j) {
            for (const Data* item : references[j]) {
                if (!item) {
                    index->complete = false;
                    index->cubes.clear();
                    break;
                }
                std::vector<qint32>& cubes = index->cubes[item->name];
                if (cubes.empty() || cubes.back() != static_cast<qint32>(j))
                    cubes.push_back(static_cast<qint32>(j));
            }
        }
    }
    return index->complete ? &*index : nullptr;
}

struct Model {
    std::shared_ptr<const ServerData> data;
    QHash<QString, qint32> databases;
    std::vector<DatabaseIndex> index;
};

using ModelPtr = std::shared_ptr<const Model>;

template <class Data>
const Data* resolve(const QHash<QString, qint32>& index, const std::vector<Data>& items,
                    const QString& name) {
    const auto it = index.constFind(name);
    return it == index.constEnd() ? nullptr : &items[static_cast<std::size_t>(*it)];
}

ModelPtr buildModel(std::shared_ptr<const ServerData> data) {
    auto model = std::make_shared<Model>();
    model->data = std::move(data);
    model->databases = nameIndex(model->data->databases);
    for (const DatabaseData& db : model->data->databases) {
        DatabaseIndex ix;
        ix.cubes = nameIndex(db.cubes);
        ix.dimensions = nameIndex(db.dimensions);
        ix.roles = nameIndex(db.roles);
        for (const CubeData& cube : db.cubes) {
            std::vector<const DimensionData*> dims;
            dims.reserve(cube.dimensions.size());
            for (const QString& name : cube.dimensions)
                dims.push_back(resolve(ix.dimensions, db.dimensions, name));
            ix.cubeDimensions.push_back(std::move(dims));
            std::vector<const RoleData*> roles;
            roles.reserve(cube.roles.size());
            for (const QString& name : cube.roles)
                roles.push_back(resolve(ix.roles, db.roles, name));
            ix.cubeRoles.push_back(std::move(roles));
        }
        model->index.push_back(std::move(ix));
    }
    return model;
}

// A collection over a list of items. Its Source says how many there are, makes the view of item
// i (0-based) and names it; held by value, so that a collection costs one allocation (the
// reports ask for thousands of them).
template <class T, class Source> class ListCollection : public Collection<T> {
public:
    explicit ListCollection(Source source, const QHash<QString, qint32>* index = nullptr)
        : m_source(std::move(source))
        , m_index(index) {}

    qint32 Count() const override { return m_source.count(); }

    std::shared_ptr<T> Item(qint32 position) const override {
        if (position < 1 || position > Count())
            noItem(QString::number(position));
        return m_source.make(position - 1);
    }

    std::shared_ptr<T> Item(const QString& name) const override {
        if (m_index) {
            const auto it = m_index->constFind(name);
            if (it != m_index->constEnd())
                return m_source.make(*it);
        } else {
            for (qint32 i = 0; i < Count(); ++i)
                if (m_source.name(i) == name)
                    return m_source.make(i);
        }
        noItem(QLatin1Char('\'') + name + QLatin1Char('\''));
    }

private:
    Source m_source;
    const QHash<QString, qint32>* m_index;
};

template <class T, class Source>
CollectionPtr<T> collectionOf(Source source, const QHash<QString, qint32>* index = nullptr) {
    return std::make_shared<ListCollection<T, Source>>(std::move(source), index);
}

// The items a parent holds.
template <class Data, class View> struct Items {
    ModelPtr model;
    const std::vector<Data>* list;

    qint32 count() const { return static_cast<qint32>(list->size()); }
    std::shared_ptr<View> make(qint32 i) const {
        return std::make_shared<View>(model, &(*list)[static_cast<std::size_t>(i)]);
    }
    QString name(qint32 i) const { return (*list)[static_cast<std::size_t>(i)].name; }
};

// The items a cube refers to by name; one its database lacks fails where it is read.
template <class Data, class View> struct References {
    ModelPtr model;
    const std::vector<const Data*>* list;

    qint32 count() const { return static_cast<qint32>(list->size()); }
    const Data* at(qint32 i) const {
        const Data* item = (*list)[static_cast<std::size_t>(i)];
        if (!item)
            noItem(QString::number(i + 1));
        return item;
    }
    std::shared_ptr<View> make(qint32 i) const { return std::make_shared<View>(model, at(i)); }
    QString name(qint32 i) const { return at(i)->name; }
};

template <class T, class Data, class View>
CollectionPtr<T> listOf(const ModelPtr& model, const std::vector<Data>& items,
                        const QHash<QString, qint32>* index = nullptr) {
    return collectionOf<T>(Items<Data, View>{model, &items}, index);
}

template <class T, class Data, class View>
CollectionPtr<T> referencesOf(const ModelPtr& model, const std::vector<const Data*>& items) {
    return collectionOf<T>(References<Data, View>{model, &items});
}

class MemberPropertyView : public MemberProperty {
public:
    MemberPropertyView(ModelPtr m, const MemberPropertyData* d)
        : m_model(std::move(m))
        , m_d(d) {}
    QString Name() const override { return m_d->name; }
    QString SourceColumn() const override { return m_d->sourceColumn; }

private:
    ModelPtr m_model;
    const MemberPropertyData* m_d;
};

class LevelView : public Level {
public:
    LevelView(ModelPtr m, const LevelData* d)
        : m_model(std::move(m))
        , m_d(d) {}
    QString Name() const override { return m_d->name; }
    qint32 EstimatedSize() const override {
        if (!m_d->estimatedSize)
            notAnswered("estimatedSize");
        return *m_d->estimatedSize;
    }
    qint32 LevelType() const override { return m_d->levelType; }
    QString MemberKeyColumn() const override { return m_d->memberKeyColumn; }
    QString MemberNameColumn() const override { return m_d->memberNameColumn; }
    bool IsHidden() const override { return m_d->hidden; }
    bool EnableAggregations() const override { return m_d->aggregation; }
    CollectionPtr<MemberProperty> MemberProperties() const override {
        return listOf<MemberProperty, MemberPropertyData, MemberPropertyView>(m_model, m_d->memberProperties);
    }

private:
    ModelPtr m_model;
    const LevelData* m_d;
};

class DimensionView : public Dimension {
public:
    DimensionView(ModelPtr m, const DimensionData* d)
        : m_model(std::move(m))
        , m_d(d) {}
    QString Name() const override { return m_d->name; }
    bool IsShared() const override { return m_d->shared; }
    qint32 State() const override { return m_d->state; }
    QDateTime LastProcessed() const override {
        if (!m_d->lastProcessed)
            notAnswered("lastProcessed");
        return *m_d->lastProcessed;
    }
    qint32 DimensionType() const override { return m_d->dimensionType; }
    qint32 VirtualCode() const override { return m_d->virtualCode; }
    CollectionPtr<Level> Levels() const override {
        return listOf<Level, LevelData, LevelView>(m_model, m_d->levels);
    }

private:
    ModelPtr m_model;
    const DimensionData* m_d;
};

class DataSourceView : public DataSource {
public:
    DataSourceView(ModelPtr m, const DataSourceData* d)
        : m_model(std::move(m))
        , m_d(d) {}
    QString Name() const override { return m_d->name; }
    QString ConnectionString() const override { return m_d->connectionString; }

private:
    ModelPtr m_model;
    const DataSourceData* m_d;
};

class MeasureView : public Measure {
public:
    MeasureView(ModelPtr m, const MeasureData* d)
        : m_model(std::move(m))
        , m_d(d) {}
    QString Name() const override { return m_d->name; }
    qint32 AggregateFunction() const override { return m_d->aggregateFunction; }
    QString FormatString() const override { return m_d->formatString; }
    bool IsInternal() const override { return m_d->internal; }
    QString SourceColumn() const override { return m_d->sourceColumn; }

private:
    ModelPtr m_model;
    const MeasureData* m_d;
};

class CommandView : public Command {
public:
    CommandView(ModelPtr m, const CommandData* d)
        : m_model(std::move(m))
        , m_d(d) {}
    QString Name() const override { return m_d->name; }
    QString Statement() const override { return m_d->statement; }
    qint16 SolveOrder() const override { return m_d->solveOrder; }

private:
    ModelPtr m_model;
    const CommandData* m_d;
};

class RoleView : public Role {
public:
    RoleView(ModelPtr m, const RoleData* d)
        : m_model(std::move(m))
        , m_d(d) {}
    QString Name() const override { return m_d->name; }
    QString Description() const override { return m_d->description; }
    QString UsersList() const override { return m_d->users; }

private:
    ModelPtr m_model;
    const RoleData* m_d;
};

// The store reads that do not apply to a kind of store fail.
class StoreBase : public Store {
public:
    qint32 State() const override { notAnswered("state"); }
    QDateTime LastProcessed() const override { notAnswered("lastProcessed"); }
    double EstimatedSize() const override { notAnswered("estimatedSize"); }
    qint32 StorageMode() const override { notAnswered("storageMode"); }
    CollectionPtr<Store> Cubes() const override { notAnswered("cubes"); }
    CollectionPtr<Dimension> Dimensions() const override { notAnswered("dimensions"); }
    CollectionPtr<Role> Roles() const override { notAnswered("roles"); }
    CollectionPtr<Store> Partitions() const override { notAnswered("partitions"); }
    CollectionPtr<Measure> Measures() const override { notAnswered("measures"); }
    CollectionPtr<Command> Commands() const override { notAnswered("commands"); }
    CollectionPtr<Store> Aggregations() const override { notAnswered("aggregations"); }
    CollectionPtr<DataSource> DataSources() const override { notAnswered("dataSources"); }
};

class AggregationView : public StoreBase {
public:
    AggregationView(ModelPtr m, const AggregationData* d)
        : m_model(std::move(m))
        , m_d(d) {}
    QString Name() const override { return m_d->name; }

private:
    ModelPtr m_model;
    const AggregationData* m_d;
};

class PartitionView : public StoreBase {
public:
    PartitionView(ModelPtr m, const PartitionData* d)
        : m_model(std::move(m))
        , m_d(d) {}
    QString Name() const override { return m_d->name; }
    qint32 StorageMode() const override { return m_d->storageMode; }
    CollectionPtr<Store> Aggregations() const override {
        return listOf<Store, AggregationData, AggregationView>(m_model, m_d->aggregations);
    }
    CollectionPtr<DataSource> DataSources() const override {
        return listOf<DataSource, DataSourceData, DataSourceView>(m_model, m_d->dataSources);
    }

private:
    ModelPtr m_model;
    const PartitionData* m_d;
};

class CubeView : public StoreBase {
public:
    CubeView(ModelPtr m, const CubeData* d, const std::vector<const DimensionData*>* dims,
             const std::vector<const RoleData*>* roles)
        : m_model(std::move(m))
        , m_d(d)
        , m_dims(dims)
        , m_roles(roles) {}
    QString Name() const override { return m_d->name; }
    qint32 State() const override { return m_d->state; }
    QString ReadFault() const override { return m_d->readFault; }
    QDateTime LastProcessed() const override {
        if (!m_d->lastProcessed)
            notAnswered("lastProcessed");
        return *m_d->lastProcessed;
    }
    double EstimatedSize() const override {
        if (!m_d->estimatedSize)
            notAnswered("estimatedSize");
        return *m_d->estimatedSize;
    }
    CollectionPtr<Dimension> Dimensions() const override {
        return referencesOf<Dimension, DimensionData, DimensionView>(m_model, *m_dims);
    }
    CollectionPtr<Role> Roles() const override {
        return referencesOf<Role, RoleData, RoleView>(m_model, *m_roles);
    }
    CollectionPtr<Store> Partitions() const override {
        return listOf<Store, PartitionData, PartitionView>(m_model, m_d->partitions);
    }
    CollectionPtr<Measure> Measures() const override {
        return listOf<Measure, MeasureData, MeasureView>(m_model, m_d->measures);
    }
    CollectionPtr<Command> Commands() const override {
        return listOf<Command, CommandData, CommandView>(m_model, m_d->commands);
    }

private:
    ModelPtr m_model;
    const CubeData* m_d;
    const std::vector<const DimensionData*>* m_dims;
    const std::vector<const RoleData*>* m_roles;
};

// The cubes of a database, each with its resolved references.
struct CubesOf {
    ModelPtr model;
    const DatabaseData* d;
    const DatabaseIndex* ix;

    qint32 count() const { return static_cast<qint32>(d->cubes.size()); }
    std::shared_ptr<CubeView> make(qint32 i) const {
        const auto at = static_cast<std::size_t>(i);
        return std::make_shared<CubeView>(model, &d->cubes[at], &ix->cubeDimensions[at], &ix->cubeRoles[at]);
    }
    QString name(qint32 i) const { return d->cubes[static_cast<std::size_t>(i)].name; }
};

class DatabaseView : public StoreBase {
public:
    DatabaseView(ModelPtr m, std::size_t position)
        : m_model(std::move(m))
        , m_d(&m_model->data->databases[position])
        , m_ix(&m_model->index[position]) {}
    QString Name() const override { return m_d->name; }
    CollectionPtr<Store> Cubes() const override {
        return collectionOf<Store>(CubesOf{m_model, m_d, m_ix}, &m_ix->cubes);
    }
    CollectionPtr<Dimension> Dimensions() const override {
        return listOf<Dimension, DimensionData, DimensionView>(m_model, m_d->dimensions, &m_ix->dimensions);
    }
    CollectionPtr<Role> Roles() const override {
        return listOf<Role, RoleData, RoleView>(m_model, m_d->roles, &m_ix->roles);
    }
    std::vector<std::shared_ptr<Store>> CubesUsingDimension(const QString& dimensionName) const override {
        const auto* users = usersIndex(m_ix->dimensionUsers, m_ix->cubeDimensions);
        return users ? cubesAt(users->cubes.value(dimensionName)) : Store::CubesUsingDimension(dimensionName);
    }
    std::vector<std::shared_ptr<Store>> CubesCarryingRole(const QString& roleName) const override {
        const auto* users = usersIndex(m_ix->roleUsers, m_ix->cubeRoles);
        return users ? cubesAt(users->cubes.value(roleName)) : Store::CubesCarryingRole(roleName);
    }

private:
    std::vector<std::shared_ptr<Store>> cubesAt(const std::vector<qint32>& positions) const {
        const CubesOf all{m_model, m_d, m_ix};
        std::vector<std::shared_ptr<Store>> cubes;
        cubes.reserve(positions.size());
        for (const qint32 j : positions)
            cubes.push_back(all.make(j));
        return cubes;
    }

    ModelPtr m_model;
    const DatabaseData* m_d;
    const DatabaseIndex* m_ix;
};

// The databases of the server.
struct DatabasesOf {
    ModelPtr model;

    qint32 count() const { return static_cast<qint32>(model->data->databases.size()); }
    std::shared_ptr<DatabaseView> make(qint32 i) const {
        return std::make_shared<DatabaseView>(model, static_cast<std::size_t>(i));
    }
    QString name(qint32 i) const { return model->data->databases[static_cast<std::size_t>(i)].name; }
};

class ModelServer : public Server {
public:
    explicit ModelServer(ModelPtr model)
        : m_model(std::move(model)) {}
    void Connect(const QString& /*serverName*/) override {}
    QString Name() const override { return m_model->data->name; }
    CollectionPtr<Store> Databases() const override {
        return collectionOf<Store>(DatabasesOf{m_model}, &m_model->databases);
    }

private:
    ModelPtr m_model;
};

} // namespace

QString FindBrokenReference(const ServerData& data) {
    for (const DatabaseData& db : data.databases) {
        const QHash<QString, qint32> dims = nameIndex(db.dimensions);
        const QHash<QString, qint32> roles = nameIndex(db.roles);
        for (const CubeData& cube : db.cubes) {
            for (const QString& name : cube.dimensions)
                if (!dims.contains(name))
                    return QStringLiteral("cube '%1' of database '%2' names dimension '%3', which the "
                                          "database does not have")
                        .arg(cube.name, db.name, name);
            for (const QString& name : cube.roles)
                if (!roles.contains(name))
                    return QStringLiteral(
                               "cube '%1' of database '%2' names role '%3', which the database does not have")
                        .arg(cube.name, db.name, name);
        }
    }
    return QString();
}

std::shared_ptr<Server> ServerFromModel(std::shared_ptr<const ServerData> data) {
    return std::make_shared<ModelServer>(buildModel(std::move(data)));
}

} // namespace Lorvantic::Olap
