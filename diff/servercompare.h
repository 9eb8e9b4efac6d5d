#pragma once

// The comparison of two servers: what each shows in the reports of its whole catalogue (every
// item, every category), matched by names at each depth, as a list of changes in a stable
// order: kinds in report order, then database and item name, then the item's own values and its
// parts in the order of the report's tables, parts by name.

#include "core/holders.h"
#include "core/selector.h"
#include "external/olap.h"

#include <QLatin1StringView>
#include <QString>
#include <memory>
#include <vector>

namespace Lorvantic::Diff {

// The holders a server's reports show, for the kinds read (the others stay null).
struct ServerContents {
    std::shared_ptr<CubeInfoList> cubes;
    std::shared_ptr<DimensionInfoList> dimensions;
    std::shared_ptr<RoleInfoList> roles;
};

// Collects the kinds' holders from the connected server with the kinds' own catalogue and
// collection. A cube or a part of one that the guarded cube collection left out raises
// Lorvantic::Error: a diff never passes one side's failed read off as a removal.
ServerContents ReadContents(const std::shared_ptr<Olap::Server>& server,
                            const std::vector<ReportKind>& kinds);

// A part below an item: its noun ("measure") and its name.
struct PartName {
    QLatin1StringView noun;
    QString name;
};

struct Change {
    enum Type { Added, Removed, Changed };
    Type type = Changed;
    ReportKind kind = ReportKind::Cubes;
    QString database;
    QString item;                // the cube, dimension or role
    std::vector<PartName> parts; // empty for the item itself
    // What a Changed entry changed: the report's column heading and the two texts.
    QLatin1StringView value;
    QString oldText;
    QString newText;
};

// The noun of an item of the kind: "cube", "dimension", "role".
QLatin1StringView ItemNoun(ReportKind kind);

struct CompareOptions {
    // Processing dates and sizes change on every processing run: compared only when asked.
    bool processing = false;
};

// The changes from old to new, for the kinds both contents hold.
std::vector<Change> CompareServers(const ServerContents& oldServer, const ServerContents& newServer,
                                   const CompareOptions& options = {});

} // namespace Lorvantic::Diff
