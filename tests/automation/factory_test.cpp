#include "enums.h"
#include "error.h"
#include "factory.h"

#include <gtest/gtest.h>

using namespace Lorvantic;
using namespace Qt::StringLiterals;

namespace {

qint32 failureOf(QStringView classId) {
    try {
        ClassFactory factory(classId);
    } catch (const Error& error) {
        return error.number();
    }
    return 0;
}

} // namespace

TEST(ClassFactory, FindsEachClassByProgrammaticOrClassIdentifierInAnyForm) {
    struct Row {
        QString id;
        QString className;
    };
    const Row rows[] = {
        {u"Lorvantic.MetaSelMain"_s, u"MetaSelMain"_s},
        {u"Lorvantic.MetaSelCube"_s, u"MetaSelCube"_s},
        {u"LORVANTIC.METASELDIM"_s, u"MetaSelDim"_s},
        {u"lorvantic.metaselrole"_s, u"MetaSelRole"_s},
        {u"{7496BFD9-D493-11D3-A6DB-00805FA6ADDE}"_s, u"MetaSelMain"_s},
        {u"{7496BFE1-D493-11D3-A6DB-00805FA6ADDE}"_s, u"MetaSelCube"_s},
        {u"7496BFE1-D493-11D3-A6DB-00805FA6ADDE"_s, u"MetaSelCube"_s},
        {u"{7496bfe1-d493-11d3-a6db-00805fa6adde}"_s, u"MetaSelCube"_s},
        {u"7496bFe4-D493-11d3-a6DB-00805Fa6AdDe"_s, u"MetaSelDim"_s},
        {u"{7496BFE7-D493-11D3-A6DB-00805FA6ADDE}"_s, u"MetaSelRole"_s},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id.toStdString());
        const ClassFactory factory(row.id);
        EXPECT_EQ(factory.classDesc().name, row.className);
        const std::shared_ptr<Dispatch> object = factory.CreateInstance();
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->classDesc().name, row.className);
    }
}

TEST(ClassFactory, RefusesIdentifiersOfNoClass) {
    const QString ids[] = {
        QString(),
        u"MetaSelCube"_s,
        u"Lorvantic.MetaSelCube.1"_s,
        u" Lorvantic.MetaSelCube"_s,
        u"{Lorvantic.MetaSelCube}"_s,
        u"{7496BFE1-D493-11D3-A6DB-00805FA6ADDE"_s,
        u"7496BFE1-D493-11D3-A6DB-00805FA6ADDE}"_s,
        u"{{7496BFE1-D493-11D3-A6DB-00805FA6ADDE}}"_s,
        u"7496BFE1D49311D3A6DB00805FA6ADDE"_s,
        u"{7496BFE0-D493-11D3-A6DB-00805FA6ADDE}"_s, // the interface, not the class
        u"{00000000-0000-0000-0000-000000000000}"_s,
    };
    for (const QString& id : ids) {
        SCOPED_TRACE(id.toStdString());
        EXPECT_EQ(failureOf(id), ErrorNumber::ClassNotAvailable);
    }
    EXPECT_EQ(ErrorNumber::ClassNotAvailable, -2147221231); // 0x80040111
}

TEST(ClassFactory, MakesANewObjectEveryTime) {
    const ClassFactory factory(u"Lorvantic.MetaSelRole");
    const std::shared_ptr<Dispatch> first = factory.CreateInstance();
    const std::shared_ptr<Dispatch> second = factory.CreateInstance();
    first->Invoke(u"InitMode"_s, InvokeKind::PropertyPut, {QVariant(qint32(imApplication))});
    EXPECT_EQ(first->Invoke(u"InitMode"_s, InvokeKind::PropertyGet).toInt(), 1);
    EXPECT_EQ(second->Invoke(u"InitMode"_s, InvokeKind::PropertyGet).toInt(), 0);
}
