// The class factory: hosts find the classes of the type library by programmatic
// or class identifier, in any letter case, braces optional.

#include "automation/factory.h"
#include "automation/typelib.h"
#include "core/selector.h"
#include "model/error.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

using namespace Lorvantic;
using namespace Qt::StringLiterals;

namespace {

qint32 factoryFailure(QStringView classId) {
    return Test::failureOf([&] { ClassFactory factory(classId); }).number;
}

TEST(ClassFactory, FindsEachClassByProgrammaticOrClassIdentifierInAnyForm) {
    ASSERT_EQ(TypeLibrary().classes.size(), 4);
    for (const ClassDesc& cls : TypeLibrary().classes) {
        const QString clsid = IdentifierText(cls.clsid);
        QString mixed = clsid.mid(1, 36);
        for (qsizetype i = 0; i < mixed.size(); i += 2)
            mixed[i] = mixed[i].toLower();
        for (const QString& id :
             {cls.progId, cls.progId.toUpper(), cls.progId.toLower(), clsid, clsid.mid(1, 36), mixed}) {
            SCOPED_TRACE(id.toStdString());
            const std::shared_ptr<Dispatch> object = ClassFactory(id).CreateInstance();
            ASSERT_NE(object, nullptr);
            EXPECT_EQ(object->classDesc().name, cls.name);
        }
        EXPECT_EQ(factoryFailure(IdentifierText(cls.defaultInterface.iid)), ErrorNumber::ClassNotAvailable)
            << "the interface, not the class";
    }
    for (const QString& id :
         {QString(), u"MetaSelCube"_s, u"Lorvantic.MetaSelCube.1"_s, u" Lorvantic.MetaSelCube"_s,
          u"{Lorvantic.MetaSelCube}"_s, u"{7496BFE1-D493-11D3-A6DB-00805FA6ADDE"_s,
          u"7496BFE1-D493-11D3-A6DB-00805FA6ADDE}"_s, u"{{7496BFE1-D493-11D3-A6DB-00805FA6ADDE}}"_s,
          u"7496BFE1D49311D3A6DB00805FA6ADDE"_s, u"{00000000-0000-0000-0000-000000000000}"_s})
        EXPECT_EQ(factoryFailure(id), ErrorNumber::ClassNotAvailable) << id.toStdString();
}

} // namespace
