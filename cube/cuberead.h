#pragma once

// Small pieces the cube steps share when they read the server: guarded steps, 16-bit loop
// limits and object references that must be set.

#include "model/error.h"
#include "model/olap.h"

#include <limits>
#include <memory>

namespace Lorvantic::CubeRead {

// Runs a guarded step: a failure ends it quietly. True when it ran to its end.
template <class Step> bool Guarded(Step&& step) {
    try {
        step();
        return true;
    } catch (const Error&) {
        return false;
    }
}

// The limit of a loop whose counter is 16 bits wide; a larger limit overflows before the
// first pass.
inline qint16 Counter16(qint32 limit) {
    if (limit > std::numeric_limits<qint16>::max() || limit < std::numeric_limits<qint16>::min())
        throw Error(ErrorNumber::Overflow, QStringLiteral("Overflow"));
    return static_cast<qint16>(limit);
}

// A reference the server handed out, checked to be set; an empty one fails as an unset object.
// Callers keep the returned pointer for as long as they use the object.
template <class T> std::shared_ptr<T> Required(std::shared_ptr<T> object) {
    if (!object)
        RaiseObjectNotSet();
    return object;
}

// Calls visit with every item of the collection, in collection order; the list visit adds to
// gets room for them all first.
template <class T, class List, class Visit>
void ForEachItem(const Olap::CollectionPtr<T>& items, List& into, Visit&& visit) {
    const Olap::CollectionPtr<T> collection = Required(items);
    const qint32 count = collection->Count();
    into.Reserve(count);
    for (qint32 i = 1; i <= count; ++i)
        visit(*Required(collection->Item(i)));
}

} // namespace Lorvantic::CubeRead
