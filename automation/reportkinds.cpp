#include "automation/reportkinds.h"

#include "automation/metaselcube.h"
#include "automation/metaseldim.h"
#include "automation/metaselrole.h"
#include "cube/cubekind.h"
#include "dimension/dimensionkind.h"
#include "role/rolekind.h"

#include <algorithm>

namespace Lorvantic {

namespace {

template <class Kind> std::unique_ptr<SelectorKind> makeKind(SelectorState& state) {
    return std::make_unique<Kind>(state);
}

template <class Class> std::shared_ptr<Selector> makeSelector() {
    return std::make_shared<Class>();
}

const ReportKindEntry entries[] = {
    {ReportKind::Cubes, QLatin1StringView("cubes"), &makeKind<CubeKind>, &makeSelector<MetaSelCube>},
    {ReportKind::Dimensions, QLatin1StringView("dimensions"), &makeKind<DimensionKind>,
     &makeSelector<MetaSelDim>},
    {ReportKind::Roles, QLatin1StringView("roles"), &makeKind<RoleKind>, &makeSelector<MetaSelRole>},
};

} // namespace

std::span<const ReportKindEntry> ReportKinds() {
    return entries;
}

const ReportKindEntry& ReportKindOf(ReportKind kind) {
    return *std::find_if(std::begin(entries), std::end(entries),
                         [kind](const ReportKindEntry& entry) { return entry.kind == kind; });
}

const ReportKindEntry* ReportKindNamed(QStringView name) {
    const auto* found = std::find_if(std::begin(entries), std::end(entries),
                                     [name](const ReportKindEntry& entry) { return name == entry.name; });
    return found == std::end(entries) ? nullptr : found;
}

} // namespace Lorvantic
