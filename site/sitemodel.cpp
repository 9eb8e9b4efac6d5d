#include "site/sitemodel.h"

#include "cube/cubekind.h"
#include "report/jsonwriter.h"
#include "report/reportfile.h"
#include "site/sitenames.h"

#include <algorithm>
#include <functional>

namespace Lorvantic::Site {

namespace {

// A read whose value the server may not hold: that value is fallback, any other failure rises.
template <class Read, class Value> auto told(Read&& read, Value fallback) -> decltype(read()) {
    try {
        return read();
    } catch (const Error& error) {
        if (error.number() != ErrorNumber::NotAnswered)
            throw;
        return fallback;
    }
}

// Calls step on every item of the collection (none when the server gives no collection).
template <class T, class Step> void forEachItem(const Olap::CollectionPtr<T>& items, Step&& step) {
    if (!items)
        return;
    const qint32 count = items->Count();
    for (qint32 i = 1; i <= count; ++i) {
        if (const std::shared_ptr<T> item = items->Item(i))
            step(*item);
    }
}

template <class T, class Step>
void forEachTold(const std::function<Olap::CollectionPtr<T>()>& items, Step&& step) {
    forEachItem(told(items, Olap::CollectionPtr<T>()), step);
}

template <class Object> QString processedOf(const Object& object) {
    return object.State() == 0 ? QString() : Json::Moment(object.LastProcessed());
}

SiteLevel readLevel(const Olap::Level& level) {
    SiteLevel site{level.Name(),
                   level.EstimatedSize(),
                   level.LevelType(),
                   level.MemberKeyColumn(),
                   level.MemberNameColumn(),
                   level.IsHidden(),
                   level.EnableAggregations(),
                   {}};
    forEachTold<Olap::MemberProperty>(
        [&] { return level.MemberProperties(); },
        [&](const Olap::MemberProperty& property) {
            site.properties.push_back({property.Name(), property.SourceColumn()});
        });
    return site;
}

SiteDimension readDimension(const Olap::Dimension& dimension) {
    SiteDimension site;
    site.name = dimension.Name();
    site.shared = told([&] { return dimension.IsShared(); }, false);
    site.processed = told([&] { return processedOf(dimension); }, QString());
    site.time = told([&] { return dimension.DimensionType(); }, 0) == 1;
    site.isVirtual = told([&] { return dimension.VirtualCode(); }, 0) == 1;
    forEachTold<Olap::Level>([&] { return dimension.Levels(); },
                             [&](const Olap::Level& level) { site.levels.push_back(readLevel(level)); });
    return site;
}

SitePartition readPartition(const Olap::Store& partition) {
    SitePartition site{partition.Name(),
                       told([&] { return CubeKind::GetStorageModeText(partition.StorageMode()); }, QString()),
                       told([&] { return GetSizeInMB(partition); }, QString()),
                       {}};
    static const QString assignment = QStringLiteral("=");
    static const QString terminator = QStringLiteral(";");
    // Only the provider and the source of a connection are shown: the rest may hold credentials.
    forEachTold<Olap::DataSource>(
        [&] { return partition.DataSources(); },
        [&](const Olap::DataSource& source) {
            const QString connection = source.ConnectionString();
            site.dataSources.push_back(
                {source.Name(),
                 GetConnectionValue(connection, QStringLiteral("Provider"), assignment, terminator),
                 GetConnectionValue(connection, QStringLiteral("Data Source"), assignment, terminator)});
        });
    return site;
}

SiteCube readCube(const Olap::Store& cube, const QString& database) {
    SiteCube site;
    site.name = cube.Name();
    site.processed = told([&] { return processedOf(cube); }, QString());
    site.size = told([&] { return GetSizeInMB(cube); }, QString());
    site.file = PageFileName(u"cube", database, site.name);
    forEachTold<Olap::Dimension>(
        [&] { return cube.Dimensions(); },
        [&](const Olap::Dimension& dimension) { site.dimensions.push_back(readDimension(dimension)); });
    forEachTold<Olap::Measure>(
        [&] { return cube.Measures(); },
        [&](const Olap::Measure& measure) {
            site.measures.push_back(
                {measure.Name(),
                 CubeKind::GetAggregateFunctionText(told([&] { return measure.AggregateFunction(); }, -1)),
                 told([&] { return measure.FormatString(); }, QString()),
                 told([&] { return measure.SourceColumn(); }, QString()),
                 told([&] { return measure.IsInternal(); }, false)});
        });
    forEachTold<Olap::Command>([&] { return cube.Commands(); },
                               [&](const Olap::Command& command) {
                                   site.commands.push_back(
                                       {command.Name(), told([&] { return command.Statement(); }, QString()),
                                        told([&] { return command.SolveOrder(); }, qint16(0))});
                               });
    forEachTold<Olap::Store>(
        [&] { return cube.Partitions(); },
        [&](const Olap::Store& partition) { site.partitions.push_back(readPartition(partition)); });
    forEachTold<Olap::Role>([&] { return cube.Roles(); },
                            [&](const Olap::Role& role) { site.roles << role.Name(); });
    return site;
}

SiteRole readRole(const Olap::Role& role, const QString& database) {
    SiteRole site{role.Name(), told([&] { return role.Description(); }, QString()), {}, {}};
    site.users = told([&] { return role.UsersList(); }, QString()).split(u';', Qt::SkipEmptyParts);
    site.file = PageFileName(u"role", database, site.name);
    return site;
}

SiteDatabase readDatabase(const Olap::Store& store) {
    SiteDatabase site;
    site.name = store.Name();
    site.file = PageFileName(u"database", QString(), site.name);
    forEachTold<Olap::Dimension>([&] { return store.Dimensions(); },
                                 [&](const Olap::Dimension& dimension) {
                                     SiteDimension shared = readDimension(dimension);
                                     shared.file = PageFileName(u"dimension", site.name, shared.name);
                                     site.dimensions.push_back(std::move(shared));
                                 });
    forEachTold<Olap::Store>(
        [&] { return store.Cubes(); },
        [&](const Olap::Store& cube) { site.cubes.push_back(readCube(cube, site.name)); });
    forEachTold<Olap::Role>([&] { return store.Roles(); },
                            [&](const Olap::Role& role) { site.roles.push_back(readRole(role, site.name)); });
    for (std::size_t d = 0; d < site.dimensions.size(); ++d)
        site.dimensionAt.try_emplace(site.dimensions.at(d).name, d);
    for (std::size_t r = 0; r < site.roles.size(); ++r)
        site.roleAt.try_emplace(site.roles.at(r).name, r);
    for (const SiteCube& cube : site.cubes)
        site.processed = std::max(site.processed, cube.processed);
    for (const SiteDimension& dimension : site.dimensions)
        site.processed = std::max(site.processed, dimension.processed);
    return site;
}

} // namespace

const SiteDimension* SiteDatabase::sharedDimension(const QString& wanted) const {
    const auto found = dimensionAt.find(wanted);
    return found == dimensionAt.end() ? nullptr : &dimensions.at(found->second);
}

const SiteRole* SiteDatabase::role(const QString& wanted) const {
    const auto found = roleAt.find(wanted);
    return found == roleAt.end() ? nullptr : &roles.at(found->second);
}

SiteServer ReadSite(const Olap::Server& server) {
    SiteServer site{server.Name(), {}};
    forEachItem(server.Databases(),
                [&](const Olap::Store& database) { site.databases.push_back(readDatabase(database)); });
    return site;
}

} // namespace Lorvantic::Site
