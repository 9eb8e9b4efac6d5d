#pragma once

// The values in which the flows of the three selector classes differ.

#include <QString>
#include <optional>

namespace Lorvantic {

struct FlowTraits {
    QString caption;                        // "Cube Information"
    qint32 helpContextId = 0;               // 20110
    std::optional<QString> firstTabCaption; // "&Dimensions"; none: the dialog's own
    QString settingsSection;                // "Cubes"
    // The cube flow reports a failure's text; the others end without a message.
    bool reportFailures = false;
};

} // namespace Lorvantic
