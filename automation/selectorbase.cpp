#include "automation/selectorbase.h"

#include "automation/flowtraits.h"
#include "core/messages.h"
#include "core/selectorstate.h"
#include "dialogs/frmprogress.h"
#include "dialogs/selectionwindow.h"
#include "dialogs/widgetapplication.h"
#include "report/reportfile.h"
#include "selection/selectorflow.h"

#include <limits>

namespace Lorvantic {

struct SelectorBase::Private {
    Private(FlowTraits flowTraits, const KindMaker& makeKind)
        : traits(std::move(flowTraits))
        , kind(makeKind(state))
        , flow(state, *kind, &ShowProgressWindow) {}

    void runFlow();
    void eraseReportFiles() const;

    FlowTraits traits;
    SelectorState state;
    std::unique_ptr<SelectorKind> kind;
    SelectorFlow flow;
};

SelectorBase::SelectorBase(const FlowTraits& traits, const KindMaker& makeKind)
    : d(std::make_unique<Private>(traits, makeKind)) {}

SelectorBase::~SelectorBase() {
    d->eraseReportFiles();
}

qint32 SelectorBase::get_InitMode() const {
    return d->state.InitMode;
}

void SelectorBase::put_InitMode(qint32 newMode) {
    d->state.InitMode = newMode;
}

void SelectorBase::putref_DSOServer(std::shared_ptr<Olap::Server> newServ) {
    d->state.DSOServer = std::move(newServ);
}

void SelectorBase::put_ServerName(const QString& newServName) {
    d->state.ServerName = newServName;
}

const SelectorState& SelectorBase::state() const {
    return d->state;
}

SelectorState& SelectorBase::selectorState() {
    return d->state;
}

SelectorKind& SelectorBase::selectorKind() const {
    return *d->kind;
}

// The object's end: every page the selector wrote goes, with its companion. Positions are
// counted in 16 bits, so a list longer than that is erased up to the counter's limit.
void SelectorBase::Private::eraseReportFiles() const {
    const qsizetype count =
        std::min<qsizetype>(state.reportFiles.size(), std::numeric_limits<qint16>::max() + 1);
    for (qsizetype i = 0; i < count; ++i) {
        if (!EraseTempFiles(state.reportFiles.at(i)))
            MsgBox(QStringLiteral("Error in erasing temporary files."));
    }
}

void SelectorBase::ShowForm() {
    // Without windows the flow cannot start; the host is told, not failed.
    const QString noWindows = PrepareWidgetApplication();
    if (!noWindows.isEmpty()) {
        MsgBox(noWindows);
        return;
    }
    try {
        d->runFlow();
    } catch (const Error& failure) {
        // A window saying "Work in progress" must not outlive the flow it belongs to, whether
        // or not the kind reports the failure.
        d->flow.CloseProgress();
        if (d->traits.reportFailures)
            MsgBox(failure.description());
    }
}

void SelectorBase::Private::runFlow() {
    Selection selection = flow.OpenCatalogue();
    SelectionWindow dialog({traits.caption, traits.helpContextId, traits.firstTabCaption,
                            traits.settingsSection, state.DSOServer->Name()});
    flow.Run(dialog, std::move(selection));
}

} // namespace Lorvantic
