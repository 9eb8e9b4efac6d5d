#pragma once

#include "automation/selectorbase.h"
#include "cube/cubecollectors.h"
#include "lorvantic_export.h"

namespace Lorvantic {

class CubeKind;

// Runs cube reports, and offers hosts the collectors that fill the cube holders; they gather
// what the categories of the selector's last report (or last dialog) ask for.
class LORVANTIC_EXPORT MetaSelCube : public SelectorBase, public CubeCollectors {
public:
    MetaSelCube();

    LORVANTIC_NO_EXPORT const CubeKind& kind() const;

protected:
    bool collectsCategory(qint32 category) const override;
    void readFailed() override;

private:
    LORVANTIC_NO_EXPORT CubeKind& cubeKind() const;
};

} // namespace Lorvantic
