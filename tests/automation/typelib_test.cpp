// The type library and the class factory: the names and identifiers hosts find the classes by.

#include "automation/factory.h"
#include "automation/typelib.h"
#include "core/enums.h"
#include "external/error.h"

#include <gtest/gtest.h>

using namespace Lorvantic;
using namespace Qt::StringLiterals;

namespace {

struct ClassRow {
    QString name, clsid, iid;
};

const ClassRow classRows[] = {
    {u"MetaSelMain"_s, u"{7496BFD9-D493-11D3-A6DB-00805FA6ADDE}"_s,
     u"{7496BFD8-D493-11D3-A6DB-00805FA6ADDE}"_s},
    {u"MetaSelCube"_s, u"{7496BFE1-D493-11D3-A6DB-00805FA6ADDE}"_s,
     u"{7496BFE0-D493-11D3-A6DB-00805FA6ADDE}"_s},
    {u"MetaSelDim"_s, u"{7496BFE4-D493-11D3-A6DB-00805FA6ADDE}"_s,
     u"{7496BFE3-D493-11D3-A6DB-00805FA6ADDE}"_s},
    {u"MetaSelRole"_s, u"{7496BFE7-D493-11D3-A6DB-00805FA6ADDE}"_s,
     u"{7496BFE6-D493-11D3-A6DB-00805FA6ADDE}"_s},
};

qint32 factoryFailure(QStringView classId) {
    try {
        ClassFactory factory(classId);
    } catch (const Error& error) {
        return error.number();
    }
    return 0;
}

} // namespace

TEST(TypeLibrary, DescribesTheFourClassesWithTheirIdentifiers) {
    ASSERT_EQ(TypeLibrary().classes.size(), qsizetype(std::size(classRows)));
    for (qsizetype i = 0; i < TypeLibrary().classes.size(); ++i) {
        const ClassDesc& cls = TypeLibrary().classes[i];
        const ClassRow& row = classRows[i];
        SCOPED_TRACE(row.name.toStdString());
        EXPECT_EQ(cls.name, row.name);
        EXPECT_EQ(cls.progId, u"Lorvantic." + row.name);
        EXPECT_EQ(IdentifierText(cls.clsid), row.clsid);
        EXPECT_EQ(cls.defaultInterface.name, u'_' + row.name);
        EXPECT_EQ(IdentifierText(cls.defaultInterface.iid), row.iid);
        EXPECT_EQ(cls.defaultInterface.baseInterface, u"IDispatch"_s);
        EXPECT_EQ(cls.threadingModel, u"Apartment"_s);
        EXPECT_TRUE(cls.creatable);
    }
}

// Programmatic identifiers and class identifiers are found in any letter case, braces optional.
TEST(ClassFactory, FindsEachClassByProgrammaticOrClassIdentifierInAnyForm) {
    const auto mixedCase = [](QString id) {
        for (qsizetype i = 0; i < id.size(); i += 2)
            id[i] = id[i].toLower();
        return id;
    };
    for (const ClassRow& row : classRows) {
        const QString progId = u"Lorvantic." + row.name;
        for (const QString& id : {progId, progId.toUpper(), progId.toLower(), row.clsid, row.clsid.mid(1, 36),
                                  row.clsid.toLower(), mixedCase(row.clsid.mid(1, 36))}) {
            SCOPED_TRACE(id.toStdString());
            const ClassFactory factory(id);
            EXPECT_EQ(factory.classDesc().name, row.name);
            const std::shared_ptr<Dispatch> object = factory.CreateInstance();
            ASSERT_NE(object, nullptr);
            EXPECT_EQ(object->classDesc().name, row.name);
        }
        EXPECT_EQ(factoryFailure(row.iid), ErrorNumber::ClassNotAvailable) << "the interface, not the class";
    }
    for (const QString& id :
         {QString(), u"MetaSelCube"_s, u"Lorvantic.MetaSelCube.1"_s, u" Lorvantic.MetaSelCube"_s,
          u"{Lorvantic.MetaSelCube}"_s, u"{7496BFE1-D493-11D3-A6DB-00805FA6ADDE"_s,
          u"7496BFE1-D493-11D3-A6DB-00805FA6ADDE}"_s, u"{{7496BFE1-D493-11D3-A6DB-00805FA6ADDE}}"_s,
          u"7496BFE1D49311D3A6DB00805FA6ADDE"_s, u"{00000000-0000-0000-0000-000000000000}"_s})
        EXPECT_EQ(factoryFailure(id), ErrorNumber::ClassNotAvailable) << id.toStdString();
}

TEST(ClassFactory, MakesANewObjectEveryTime) {
    const ClassFactory factory(u"Lorvantic.MetaSelRole");
    const std::shared_ptr<Dispatch> first = factory.CreateInstance();
    const std::shared_ptr<Dispatch> second = factory.CreateInstance();
    first->Invoke(u"InitMode"_s, InvokeKind::PropertyPut, {QVariant(qint32(imApplication))});
    EXPECT_EQ(first->Invoke(u"InitMode"_s, InvokeKind::PropertyGet).toInt(), 1);
    EXPECT_EQ(second->Invoke(u"InitMode"_s, InvokeKind::PropertyGet).toInt(), 0);
}
