#pragma once

// Hand-set OLAP objects for the failure paths the server model cannot produce: every value
// that is left unset fails when read, and a collection can hold an empty slot or report a
// count of its own.

#include "olap.h"

#include <optional>
#include <vector>

namespace Lorvantic::Test {

[[noreturn]] inline void failRead(const char* what) {
    throw Error(ErrorNumber::NotAnswered, QStringLiteral("fake read fails: %1").arg(QLatin1String(what)));
}

template <class V> V answer(const std::optional<V>& value, const char* what) {
    if (!value)
        failRead(what);
    return *value;
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
        for (const auto& item : items)
            if (item && item->Name() == name)
                return item;
        throw Error(ErrorNumber::ItemNotFound, QStringLiteral("no item %1").arg(name));
    }
};

template <class T> std::shared_ptr<FakeCollection<T>> fakeList(std::vector<std::shared_ptr<T>> items) {
    auto list = std::make_shared<FakeCollection<T>>();
    list->items = std::move(items);
    return list;
}

template <class T> Olap::CollectionPtr<T> answerList(const Olap::CollectionPtr<T>& list, const char* what) {
    if (!list)
        failRead(what);
    return list;
}

class FakeDataSource : public Olap::DataSource {
public:
    std::optional<QString> name, connectionString;
    QString Name() const override { return answer(name, "name"); }
    QString ConnectionString() const override { return answer(connectionString, "connectionString"); }
};

class FakeRole : public Olap::Role {
public:
    std::optional<QString> name;
    QString Name() const override { return answer(name, "name"); }
    QString Description() const override { return QString(); }
    QString UsersList() const override { return QString(); }
};

class FakeLevel : public Olap::Level {
public:
    std::optional<QString> name;
    std::optional<bool> hidden, aggregation;
    QString Name() const override { return answer(name, "name"); }
    qint32 EstimatedSize() const override { failRead("estimatedSize"); }
    qint32 LevelType() const override { return 0; }
    QString MemberKeyColumn() const override { return QString(); }
    QString MemberNameColumn() const override { return QString(); }
    bool IsHidden() const override { return answer(hidden, "hidden"); }
    bool EnableAggregations() const override { return answer(aggregation, "aggregation"); }
    Olap::CollectionPtr<Olap::MemberProperty> MemberProperties() const override {
        failRead("memberProperties");
    }
};

class FakeDimension : public Olap::Dimension {
public:
    std::optional<QString> name;
    std::optional<bool> shared;
    Olap::CollectionPtr<Olap::Level> levels;
    QString Name() const override { return answer(name, "name"); }
    bool IsShared() const override { return answer(shared, "shared"); }
    qint32 State() const override { return 0; }
    QDateTime LastProcessed() const override { failRead("lastProcessed"); }
    qint32 DimensionType() const override { return 0; }
    qint32 VirtualCode() const override { return 0; }
    Olap::CollectionPtr<Olap::Level> Levels() const override { return answerList(levels, "levels"); }
};

class FakeMeasure : public Olap::Measure {
public:
    std::optional<QString> name, formatString, sourceColumn;
    std::optional<qint32> aggregateFunction;
    std::optional<bool> internal;
    QString Name() const override { return answer(name, "name"); }
    qint32 AggregateFunction() const override { return answer(aggregateFunction, "aggregateFunction"); }
    QString FormatString() const override { return answer(formatString, "formatString"); }
    bool IsInternal() const override { return answer(internal, "internal"); }
    QString SourceColumn() const override { return answer(sourceColumn, "sourceColumn"); }
};

class FakeCommand : public Olap::Command {
public:
    std::optional<QString> name, statement;
    std::optional<qint16> solveOrder;
    QString Name() const override { return answer(name, "name"); }
    QString Statement() const override { return answer(statement, "statement"); }
    qint16 SolveOrder() const override { return answer(solveOrder, "solveOrder"); }
};

// Databases, cubes and partitions alike.
class FakeStore : public Olap::Store {
public:
    std::optional<QString> name;
    std::optional<qint32> state, storageMode;
    std::optional<QDateTime> lastProcessed;
    std::optional<double> estimatedSize;
    Olap::CollectionPtr<Olap::Store> cubes, partitions, aggregations;
    Olap::CollectionPtr<Olap::Dimension> dimensions;
    Olap::CollectionPtr<Olap::Role> roles;
    Olap::CollectionPtr<Olap::Measure> measures;
    Olap::CollectionPtr<Olap::Command> commands;
    Olap::CollectionPtr<Olap::DataSource> dataSources;

    QString Name() const override { return answer(name, "name"); }
    qint32 State() const override { return answer(state, "state"); }
    QDateTime LastProcessed() const override { return answer(lastProcessed, "lastProcessed"); }
    double EstimatedSize() const override { return answer(estimatedSize, "estimatedSize"); }
    qint32 StorageMode() const override { return answer(storageMode, "storageMode"); }
    Olap::CollectionPtr<Olap::Store> Cubes() const override { return answerList(cubes, "cubes"); }
    Olap::CollectionPtr<Olap::Dimension> Dimensions() const override {
        return answerList(dimensions, "dimensions");
    }
    Olap::CollectionPtr<Olap::Role> Roles() const override { return answerList(roles, "roles"); }
    Olap::CollectionPtr<Olap::Store> Partitions() const override {
        return answerList(partitions, "partitions");
    }
    Olap::CollectionPtr<Olap::Measure> Measures() const override { return answerList(measures, "measures"); }
    Olap::CollectionPtr<Olap::Command> Commands() const override { return answerList(commands, "commands"); }
    Olap::CollectionPtr<Olap::Store> Aggregations() const override {
        return answerList(aggregations, "aggregations");
    }
    Olap::CollectionPtr<Olap::DataSource> DataSources() const override {
        return answerList(dataSources, "dataSources");
    }
};

class FakeServer : public Olap::Server {
public:
    Olap::CollectionPtr<Olap::Store> databases;
    void Connect(const QString&) override {}
    QString Name() const override { return QStringLiteral("FAKE"); }
    Olap::CollectionPtr<Olap::Store> Databases() const override { return answerList(databases, "databases"); }
};

} // namespace Lorvantic::Test
