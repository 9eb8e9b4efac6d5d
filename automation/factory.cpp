#include "automation/factory.h"

#include "automation/metaselcube.h"
#include "automation/metaseldim.h"
#include "automation/metaselmain.h"
#include "automation/metaselrole.h"
#include "model/error.h"

namespace Lorvantic {

using namespace Qt::StringLiterals;

namespace {

template <class T> std::shared_ptr<Dispatch> createDispatch() {
    return MakeDispatch(std::make_shared<T>());
}

struct Creator {
    QStringView className;
    std::shared_ptr<Dispatch> (*create)();
};

constexpr Creator creators[] = {
    {u"MetaSelMain", &createDispatch<MetaSelMain>},
    {u"MetaSelCube", &createDispatch<MetaSelCube>},
    {u"MetaSelDim", &createDispatch<MetaSelDim>},
    {u"MetaSelRole", &createDispatch<MetaSelRole>},
};

const ClassDesc& findClass(QStringView classId) {
    const ClassDesc* cls = FindClass(classId);
    if (!cls)
        throw Error(ErrorNumber::ClassNotAvailable, u"No class with the identifier \"%1\""_s.arg(classId));
    return *cls;
}

} // namespace

ClassFactory::ClassFactory(QStringView classId)
    : m_class(&findClass(classId)) {}

std::shared_ptr<Dispatch> ClassFactory::CreateInstance() const {
    for (const Creator& creator : creators) {
        if (creator.className == m_class->name)
            return creator.create();
    }
    throw Error(ErrorNumber::NotImplemented, u"%1 cannot be created"_s.arg(m_class->name));
}

std::shared_ptr<Dispatch> CreateObject(QStringView classId) {
    return ClassFactory(classId).CreateInstance();
}

} // namespace Lorvantic
