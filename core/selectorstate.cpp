#include "core/selectorstate.h"

namespace Lorvantic {

bool SelectorState::categoryChecked(qint32 row, bool strict) const {
    const QVariant& flag = infoTreeRows.at(row, 3);
    if (strict)
        return flag.typeId() == QMetaType::Bool && flag.toBool();
    return flag.isValid() && !flag.isNull() && flag.toBool();
}

} // namespace Lorvantic
