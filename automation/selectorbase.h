#pragma once

// What the three selector classes share: the properties of their default interface, the
// selector flow behind ShowForm and the object's end. Their state lies behind a private
// pointer, so hosts see the interface alone.

#include "core/selector.h"
#include "lorvantic_export.h"

#include <QString>
#include <functional>
#include <memory>

namespace Lorvantic {

struct FlowTraits;
struct SelectorState;
class SelectorKind;

class LORVANTIC_EXPORT SelectorBase : public Selector {
public:
    ~SelectorBase() override;
    SelectorBase(const SelectorBase&) = delete;
    SelectorBase& operator=(const SelectorBase&) = delete;

    qint32 get_InitMode() const override;
    void put_InitMode(qint32 newMode) override;
    void putref_DSOServer(std::shared_ptr<Olap::Server> newServ) override;
    void put_ServerName(const QString& newServName) override;
    void ShowForm() override;

    // For the program's own tests, which look at what a flow left behind; not exported.
    LORVANTIC_NO_EXPORT const SelectorState& state() const;

protected:
    using KindMaker = std::function<std::unique_ptr<SelectorKind>(SelectorState& state)>;
    // The kind is made for this selector's state and lives as long as the selector.
    LORVANTIC_NO_EXPORT SelectorBase(const FlowTraits& traits, const KindMaker& makeKind);
    LORVANTIC_NO_EXPORT SelectorKind& selectorKind() const;
    LORVANTIC_NO_EXPORT SelectorState& selectorState();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace Lorvantic
