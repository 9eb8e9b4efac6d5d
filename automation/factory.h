#pragma once

// Creates objects of the component's classes for hosts that name a class by its class
// identifier ("{7496BFE1-D493-11D3-A6DB-00805FA6ADDE}", braces optional) or its programmatic
// identifier ("Lorvantic.MetaSelCube"), both ignoring letter case.

#include "automation/dispatch.h"

#include <QStringView>
#include <memory>

namespace Lorvantic {

class ClassFactory {
public:
    // Raises Error (ClassNotAvailable) when no class has that identifier.
    explicit ClassFactory(QStringView classId);

    const ClassDesc& classDesc() const { return *m_class; }
    // A new object of the class, reached late-bound; it ends when the last pointer goes.
    std::shared_ptr<Dispatch> CreateInstance() const;

private:
    const ClassDesc* m_class;
};

// ClassFactory(classId).CreateInstance().
std::shared_ptr<Dispatch> CreateObject(QStringView classId);

} // namespace Lorvantic
