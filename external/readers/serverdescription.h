#pragma once

// The JSON server description ("format": "olap-server/1") read straight into the in-memory model.

#include "model/servermodel.h"

class QIODevice;

namespace Lorvantic::Olap {

inline constexpr char JsonDescriptionFormat[] = "olap-server/1";

// Reads a whole description from device. origin starts every error description (for example
// "Server 'x': /path/x.json"); anything the format does not allow raises Lorvantic::Error
// (ErrorNumber::BadDescription) naming line, column and the fault. Besides the syntax it checks
// value types and ranges, that names are given and unique where items are found by name, and
// that every dimension and role a cube names belongs to its database.
ServerData ReadJsonDescription(QIODevice& device, const QString& origin);

} // namespace Lorvantic::Olap
