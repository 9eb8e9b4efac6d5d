#pragma once

// Late-bound calls: a host names a member of an object's default interface, says how it
// reaches it (read, write, set by reference, call) and passes variant arguments.
//
// Member names are matched ignoring letter case. Arguments come in declaration order and are
// converted to the parameter's type before the call:
// - InitModeEnum (32-bit integer): any integer variant, a double with an integral value, or a
//   string holding a decimal integer; a value outside 32 bits fails with ArgumentOverflow.
// - String: a string only.
// - Objects (the DSOServer and the collectors' obj and holder parameters): a variant holding
//   the std::shared_ptr of the parameter's type (std::shared_ptr<Olap::Server>,
//   std::shared_ptr<Olap::Store>, std::shared_ptr<CubeInfo>, ...; see the type library). A
//   collector fills the holder that pointer shares, so the host sees the result through its
//   own pointer. An empty variant or a null pointer means no object: writing DSOServer by
//   reference then drops the selector's server; a collector refuses it with NullPointer.
// Anything else fails with ArgumentTypeMismatch. Results: InitMode as qint32, the Boolean
// collectors as bool, all other members an invalid QVariant.
//
// Failures raise Lorvantic::Error with the automation numbers of automationerrors.h: an unknown
// name (UnknownName), a known name reached the wrong way, e.g. reading the write-only DSOServer
// or ServerName (MemberNotFound), a wrong number of arguments (BadParamCount), an argument of
// the wrong type (ArgumentTypeMismatch). ShowForm and StartReport show dialogs: without a Qt
// widget application they fail with Unexpected, from another thread with WrongThread. Whatever
// the member itself does is unchanged: ShowForm still handles its own failures.

#include "automation/automationerrors.h"
#include "automation/typelib.h"

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <memory>

namespace Lorvantic {

class MetaSelMain;
class MetaSelCube;
class MetaSelDim;
class MetaSelRole;

class Dispatch {
public:
    virtual ~Dispatch() = default;
    virtual const ClassDesc& classDesc() const = 0;
    virtual QVariant Invoke(const QString& member, InvokeKind kind, const QVariantList& args = {}) = 0;
};

// Late-bound access to an object the host holds; the dispatch shares the object, which ends
// when its last owner lets go. A null object raises NullPointer.
std::shared_ptr<Dispatch> MakeDispatch(std::shared_ptr<MetaSelMain> object);
std::shared_ptr<Dispatch> MakeDispatch(std::shared_ptr<MetaSelCube> object);
std::shared_ptr<Dispatch> MakeDispatch(std::shared_ptr<MetaSelDim> object);
std::shared_ptr<Dispatch> MakeDispatch(std::shared_ptr<MetaSelRole> object);

} // namespace Lorvantic
