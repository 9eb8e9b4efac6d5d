#pragma once

// The three kinds of report in one table: the name the command line takes, the kind's
// catalogue, collection and page for a selector state, and the public selector class.

#include "core/selector.h"
#include "core/selectorstate.h"
#include "selection/selectorkind.h"

#include <QLatin1StringView>
#include <QStringView>
#include <memory>
#include <span>

namespace Lorvantic {

struct ReportKindEntry {
    ReportKind kind;
    QLatin1StringView name; // "cubes"
    std::unique_ptr<SelectorKind> (*makeKind)(SelectorState& state);
    std::shared_ptr<Selector> (*makeSelector)();
};

std::span<const ReportKindEntry> ReportKinds();
const ReportKindEntry& ReportKindOf(ReportKind kind);
// The entry of that name, or none.
const ReportKindEntry* ReportKindNamed(QStringView name);

} // namespace Lorvantic
