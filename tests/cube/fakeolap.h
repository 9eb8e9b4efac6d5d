#pragma once

// Hand-set OLAP objects for the failure paths the server model cannot produce: every value
// left unset fails when read (the plain values of levels, measures, commands and partitions start
// set), and a collection can hold an empty slot or report a count of its own.

#include "model/olap.h"

#include <optional>
#include <vector>

namespace Lorvantic::Test {

[[noreturn]] inline void failRead() {
    throw Error(ErrorNumber::NotAnswered, QStringLiteral("fake read fails"));
}

// A value or collection that is set; an unset one fails.
template <class V> V answer(const std::optional<V>& value) {
    if (!value)
        failRead();
    return *value;
}
template <class T> Olap::CollectionPtr<T> answer(const Olap::CollectionPtr<T>& list) {
    if (!list)
        failRead();
    return list;
}

template <class T> class FakeCollection : public Olap::Collection<T> {
public:
    std::vector<std::shared_ptr<T>> items; // an empty slot hands out an unset object
    std::optional<qint32> reportedCount;

    qint32 Count() const override { return reportedCount.value_or(static_cast<qint32>(items.size())); }
    std::shared_ptr<T> Item(qint32 position) const override {
        if (position < 1 || position > static_cast<qint32>(items.size()))
            throw Error(ErrorNumber::ItemNotFound, QStringLiteral("no item %1").arg(position));
        return items[static_cast<std::size_t>(position - 1)];
    }
    std::shared_ptr<T> Item(const QString& name) const override {
        for (const std::shared_ptr<T>& item : items)
            if (item && item->Name() == name)
                return item;
        throw Error(ErrorNumber::ItemNotFound, name);
    }
};

// A list of these items; a reported count past them makes the next one fail.
template <class T>
std::shared_ptr<FakeCollection<T>> fakeList(std::vector<std::shared_ptr<T>> items,
                                            std::optional<qint32> reportedCount = std::nullopt) {
    auto list = std::make_shared<FakeCollection<T>>();
    list->items = std::move(items);
    list->reportedCount = reportedCount;
    return list;
}

class FakeRole : public Olap::Role {
public:
    std::optional<QString> name;
    QString Name() const override { return answer(name); }
    QString Description() const override { return QString(); }
    QString UsersList() const override { return QString(); }
};

class FakeLevel : public Olap::Level {
public:
    std::optional<QString> name;
    std::optional<bool> hidden = false, aggregation = false;
    QString Name() const override { return answer(name); }
    qint32 EstimatedSize() const override { failRead(); }
    qint32 LevelType() const override { return 0; }
    QString MemberKeyColumn() const override { return QString(); }
    QString MemberNameColumn() const override { return QString(); }
    bool IsHidden() const override { return answer(hidden); }
    bool EnableAggregations() const override { return answer(aggregation); }
    Olap::CollectionPtr<Olap::MemberProperty> MemberProperties() const override { failRead(); }
};

class FakeDimension : public Olap::Dimension {
public:
    std::optional<QString> name;
    std::optional<bool> shared = true;
    Olap::CollectionPtr<Olap::Level> levels;
    QString Name() const override { return answer(name); }
    bool IsShared() const override { return answer(shared); }
    qint32 State() const override { return 0; }
    QDateTime LastProcessed() const override { failRead(); }
    qint32 DimensionType() const override { return 0; }
    qint32 VirtualCode() const override { return 0; }
    Olap::CollectionPtr<Olap::Level> Levels() const override { return answer(levels); }
};

class FakeMeasure : public Olap::Measure {
public:
    std::optional<QString> name, formatString = QString(), sourceColumn = QString();
    std::optional<qint32> aggregateFunction = 0;
    std::optional<bool> internal = false;
    QString Name() const override { return answer(name); }
    qint32 AggregateFunction() const override { return answer(aggregateFunction); }
    QString FormatString() const override { return answer(formatString); }
    bool IsInternal() const override { return answer(internal); }
    QString SourceColumn() const override { return answer(sourceColumn); }
};

class FakeCommand : public Olap::Command {
public:
    std::optional<QString> name, statement = QString();
    std::optional<qint16> solveOrder = 0;
    QString Name() const override { return answer(name); }
    QString Statement() const override { return answer(statement); }
    qint16 SolveOrder() const override { return answer(solveOrder); }
};

// Databases, cubes and partitions alike.
class FakeStore : public Olap::Store {
public:
    std::optional<QString> name;
    std::optional<qint32> state, storageMode = 0;
    std::optional<double> estimatedSize;
    Olap::CollectionPtr<Olap::Store> cubes, partitions, aggregations = fakeList<Olap::Store>({});
    Olap::CollectionPtr<Olap::Dimension> dimensions;
    Olap::CollectionPtr<Olap::Role> roles;
    Olap::CollectionPtr<Olap::Measure> measures;
    Olap::CollectionPtr<Olap::Command> commands;
    Olap::CollectionPtr<Olap::DataSource> dataSources;

    QString Name() const override { return answer(name); }
    qint32 State() const override { return answer(state); }
    QDateTime LastProcessed() const override { failRead(); }
    double EstimatedSize() const override { return answer(estimatedSize); }
    qint32 StorageMode() const override { return answer(storageMode); }
    Olap::CollectionPtr<Olap::Store> Cubes() const override { return answer(cubes); }
    Olap::CollectionPtr<Olap::Dimension> Dimensions() const override { return answer(dimensions); }
    Olap::CollectionPtr<Olap::Role> Roles() const override { return answer(roles); }
    Olap::CollectionPtr<Olap::Store> Partitions() const override { return answer(partitions); }
    Olap::CollectionPtr<Olap::Measure> Measures() const override { return answer(measures); }
    Olap::CollectionPtr<Olap::Command> Commands() const override { return answer(commands); }
    Olap::CollectionPtr<Olap::Store> Aggregations() const override { return answer(aggregations); }
    Olap::CollectionPtr<Olap::DataSource> DataSources() const override { return answer(dataSources); }
};

class FakeServer : public Olap::Server {
public:
    Olap::CollectionPtr<Olap::Store> databases;
    void Connect(const QString&) override {}
    QString Name() const override { return QStringLiteral("FAKE"); }
    Olap::CollectionPtr<Olap::Store> Databases() const override { return answer(databases); }
};

// A database or cube of these cubes, processed, of 2 MB.
inline std::shared_ptr<FakeStore> fakeStore(const QString& name,
                                            std::vector<std::shared_ptr<Olap::Store>> cubes = {},
                                            std::optional<qint32> reportedCount = std::nullopt) {
    auto store = std::make_shared<FakeStore>();
    store->name = name;
    store->state = 1;
    store->estimatedSize = 2097152.0;
    store->cubes = fakeList(std::move(cubes), reportedCount);
    return store;
}

inline std::shared_ptr<FakeServer> fakeServer(std::vector<std::shared_ptr<Olap::Store>> databases,
                                              std::optional<qint32> reportedCount = std::nullopt) {
    auto server = std::make_shared<FakeServer>();
    server->databases = fakeList(std::move(databases), reportedCount);
    return server;
}

} // namespace Lorvantic::Test
