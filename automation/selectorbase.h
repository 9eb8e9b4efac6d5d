#pragma once

// What the three selector classes share: their state, the properties of their default
// interface, the selector flow behind ShowForm and the object's end.

#include "core/enums.h"
#include "core/selector.h"
#include "core/selectorflow.h"
#include "core/selectorstate.h"
#include "lorvantic_export.h"

#include <QString>
#include <memory>
#include <optional>

namespace Lorvantic {

class frmInfo;

// The values in which the flows of the three kinds differ.
struct FlowTraits {
    QString caption;                        // "Cube Information"
    qint32 helpContextId = 0;               // 20110
    std::optional<QString> firstTabCaption; // "&Dimensions"; none: the dialog's own
    QString settingsSection;                // "Cubes"
    // The cube flow reports a failure's text; the others end without a message.
    bool reportFailures = false;
};

class LORVANTIC_EXPORT SelectorBase : public Selector {
public:
    ~SelectorBase() override;
    SelectorBase(const SelectorBase&) = delete;
    SelectorBase& operator=(const SelectorBase&) = delete;

    qint32 get_InitMode() const override { return m_state.InitMode; }
    void put_InitMode(qint32 newMode) override { m_state.InitMode = newMode; }
    void putref_DSOServer(std::shared_ptr<Olap::Server> newServ) override {
        m_state.DSOServer = std::move(newServ);
    }
    void put_ServerName(const QString& newServName) override { m_state.ServerName = newServName; }
    void ShowForm() override;

    // For hosts and tests that look at what a flow left behind.
    const SelectorState& state() const { return m_state; }

protected:
    // The kind is made for this selector's state and lives as long as the selector.
    SelectorBase(FlowTraits traits, std::unique_ptr<SelectorKind> (*makeKind)(SelectorState& state));
    SelectorKind& selectorKind() const { return *m_kind; }
    SelectorState m_state;

private:
    void runFlow();
    void prepareDialog(frmInfo& dialog);
    void reportLoop(frmInfo& dialog);
    void eraseReportFiles() const;

    FlowTraits m_traits;
    std::unique_ptr<SelectorKind> m_kind;
    SelectorFlow m_flow;
};

} // namespace Lorvantic
