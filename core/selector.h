#pragma once

// The default interface every selector class shares: the properties a host writes and the
// method that runs the flow. The connection dialog drives selectors through it.

#include "model/olap.h"
#include "lorvantic_export.h"

#include <QString>
#include <memory>

namespace Lorvantic {

class LORVANTIC_EXPORT Selector {
public:
    virtual ~Selector() = default;
    virtual qint32 get_InitMode() const = 0;
    virtual void put_InitMode(qint32 newMode) = 0;
    virtual void putref_DSOServer(std::shared_ptr<Olap::Server> newServ) = 0;
    virtual void put_ServerName(const QString& newServName) = 0;
    virtual void ShowForm() = 0;
};

enum class ReportKind { Cubes, Dimensions, Roles };

} // namespace Lorvantic
