#pragma once

// The info holders: plain objects of texts and lists that the collection steps fill and the
// section writers read. Lists keep the order of adding; list members exist, empty, from the
// holder's creation.

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <algorithm>
#include <cstddef>
#include <memory>
#include <memory_resource>
#include <vector>

namespace Lorvantic {

// Holders are made by the thousand and freed together with the list of one collection run.
// While a HolderArenaScope lives, MakeHolder takes them from one arena of large blocks: they lie
// side by side for the walks that fill, read and free them, and the blocks go back at once when
// the last holder made in them is gone (each holder shares the arena's ownership). Worth it
// where collections follow each other, as the diff's groups do; a single collection is quicker
// from the heap, which hands back memory the catalogue just freed instead of fresh pages.
class HolderArena {
public:
    std::pmr::memory_resource* resource() { return &m_blocks; }

private:
    std::pmr::monotonic_buffer_resource m_blocks{std::size_t{64} * 1024};
};

// Gives the holders made on this thread an arena of their own until it ends.
class HolderArenaScope {
public:
    HolderArenaScope();
    HolderArenaScope(const HolderArenaScope&) = delete;
    HolderArenaScope& operator=(const HolderArenaScope&) = delete;
    ~HolderArenaScope();

private:
    std::shared_ptr<HolderArena> m_outer;
};

// The arena of the innermost scope on this thread; null outside any.
const std::shared_ptr<HolderArena>& CurrentHolderArena();

template <class T> class HolderAllocator {
public:
    using value_type = T;

    explicit HolderAllocator(std::shared_ptr<HolderArena> arena)
        : m_arena(std::move(arena)) {}
    template <class U>
    HolderAllocator(const HolderAllocator<U>& other) // NOLINT(google-explicit-constructor): rebinding
        : m_arena(other.arena()) {}

    T* allocate(std::size_t n) {
        return static_cast<T*>(m_arena->resource()->allocate(n * sizeof(T), alignof(T)));
    }
    void deallocate(T* /*p*/, std::size_t /*n*/) {} // the blocks go back with the arena
    const std::shared_ptr<HolderArena>& arena() const { return m_arena; }
    template <class U> bool operator==(const HolderAllocator<U>& other) const {
        return m_arena == other.arena();
    }

private:
    std::shared_ptr<HolderArena> m_arena;
};

// A new, empty holder: from the current arena where there is one.
template <class T> std::shared_ptr<T> MakeHolder() {
    if (const std::shared_ptr<HolderArena>& arena = CurrentHolderArena())
        return std::allocate_shared<T>(HolderAllocator<T>(arena));
    return std::make_shared<T>();
}

template <class T> class InfoList {
public:
    using Item = std::shared_ptr<T>;

    qint32 Count() const { return static_cast<qint32>(m_items.size()); }
    // Room for count items in all: a collection that knows how many it will add allocates once.
    void Reserve(qint32 count) { m_items.reserve(static_cast<std::size_t>(std::max(count, 0))); }
    // 1-based, as the readers walk it.
    const Item& operator[](qint32 index) const { return m_items.at(static_cast<std::size_t>(index - 1)); }
    auto begin() const { return m_items.cbegin(); }
    auto end() const { return m_items.cend(); }

protected:
    void append(Item item) { m_items.push_back(std::move(item)); }

private:
    std::vector<Item> m_items;
};

// Lists whose Add takes the item and an optional key, which the component leaves empty.
template <class T> class KeyedInfoList : public InfoList<T> {
public:
    void Add(typename InfoList<T>::Item item, const QVariant& key = QVariant()) {
        Q_UNUSED(key);
        this->append(std::move(item));
    }
};

class CubeInfo;
class RoleInfo;
class PartitionInfo;
class DimensionInfo;
class LevelInfo;
class LevelPropertyInfo;
class MeasureInfo;
class CalcMemberInfo;
class UserInfo;

class RoleInfoList : public InfoList<RoleInfo> {
public:
    void Add(Item item) { append(std::move(item)); }
};
class CubeInfoList : public KeyedInfoList<CubeInfo> {};
class PartitionInfoList : public KeyedInfoList<PartitionInfo> {};
class DimensionInfoList : public KeyedInfoList<DimensionInfo> {};
class LevelInfoList : public KeyedInfoList<LevelInfo> {};
class LevelPropertyInfoList : public KeyedInfoList<LevelPropertyInfo> {};
class MeasureInfoList : public KeyedInfoList<MeasureInfo> {};
class CalcMemberInfoList : public KeyedInfoList<CalcMemberInfo> {};
class UserInfoList : public KeyedInfoList<UserInfo> {};
class DimensionCubeList : public KeyedInfoList<CubeInfo> {};
class RoleCubeList : public KeyedInfoList<CubeInfo> {};

class CubeInfo {
public:
    QString Name;
    QString DatabaseName;
    QString Size;
    QString ProcessingDate;
    QDateTime ProcessedAt; // the moment behind ProcessingDate; invalid when not processed
    QString ReadFault;     // why the server could not give the parts below (then there are none)
    RoleInfoList Roles;
    PartitionInfoList Partitions;
    DimensionInfoList Dimensions;
    MeasureInfoList Measures;
    CalcMemberInfoList CalcMembers;
};

class PartitionInfo {
public:
    QString Name;
    QString Type;
    QString AggregationCount;
    QString DataSourceName;
    QString Driver;
    QString Source;
};

class DimensionInfo {
public:
    QString Name;
    QString DatabaseName;
    QString Type;
    QString Kind;
    QString ProcessingDate;
    QDateTime ProcessedAt; // the moment behind ProcessingDate; invalid when not processed
    LevelInfoList Levels;
    DimensionCubeList Cubes;
};

class LevelInfo {
public:
    QString Name;
    QString Type;
    QString Visible;
    QString AvailableForAggregation;
    QString MemberCount;
    QString MemberKeyColumn;
    QString MemberNameColumn;
    LevelPropertyInfoList Properties;
};

class LevelPropertyInfo {
public:
    QString Name;
    QString SourceColumn;
};

class MeasureInfo {
public:
    QString Name;
    QString Internal;
    QString DisplayFormat;
    QString WarehouseTable;
    QString AppliedFunction;
};

class CalcMemberInfo {
public:
    QString Name;
    QString Statement;
    QString SolveOrder;
};

class RoleInfo {
public:
    QString Name;
    QString DatabaseName;
    UserInfoList Users;
    RoleCubeList Cubes;
};

class UserInfo {
public:
    QString Name;
};

} // namespace Lorvantic
