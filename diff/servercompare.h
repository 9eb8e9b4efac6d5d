#pragma once

// The comparison of two servers: what each shows in the reports of its whole catalogue (every
// item, every category), matched by names at each depth, as a list of changes in a stable
// order: kinds in report order, then database and item name, then the item's own values and its
// parts in the order of the report's tables, parts by name.

#include "core/selector.h"
#include "model/olap.h"

#include <QLatin1StringView>
#include <QString>
#include <memory>
#include <vector>

namespace Lorvantic::Diff {

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

// The changes from the old server to the new, for the kinds asked. Each side is read with the
// kinds' own catalogue and collection, every row and category checked, a few databases at a
// time. A cube or a part of one that the guarded cube collection left out, or a cube the server
// could not give (Olap::UnreadableCubes), raises Lorvantic::Error: a diff never passes one
// side's failed read off as a removal.
std::vector<Change> CompareServers(const std::shared_ptr<Olap::Server>& oldServer,
                                   const std::shared_ptr<Olap::Server>& newServer,
                                   const std::vector<ReportKind>& kinds, const CompareOptions& options = {});

} // namespace Lorvantic::Diff
