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

const ClassDesc& classNamed(const QString& name) {
    const ClassDesc* cls = FindClass(QString(u"Lorvantic." + name));
    EXPECT_NE(cls, nullptr) << name.toStdString();
    return *cls;
}

// "Name kind(param: Type&, ...) -> Result" for each member of the class's default interface
// (kind: the InvokeKind number; '&' for a parameter passed by reference).
QString signatures(const QString& cls) {
    static const char* const kinds[] = {"Void", "Int32", "Boolean", "String", "Object"};
    QStringList list;
    for (const MemberDesc& m : classNamed(cls).defaultInterface.members) {
        QStringList params;
        for (const ParamDesc& p : m.params)
            params << p.name + u": " + p.type.name + (p.byRef ? u"&"_s : QString());
        list << u"%1 %2(%3) -> %4 %5"_s
                    .arg(m.name, QString::number(qint32(m.kind)), params.join(u", "),
                         QLatin1String(kinds[int(m.result.kind)]), m.result.name)
                    .trimmed();
    }
    return list.join(u'\n');
}

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

TEST(TypeLibrary, DescribesEveryMemberOfEachDefaultInterfaceInOrder) {
    const QString selector = uR"(InitMode 2() -> Int32 InitModeEnum
InitMode 4(newMode: InitModeEnum) -> Void
DSOServer 8(newServ: Olap.Server) -> Void
ServerName 4(newServName: String) -> Void
ShowForm 1() -> Void)"_s;
    EXPECT_EQ(signatures(u"MetaSelMain"_s), u"StartReport 1() -> Void"_s);
    EXPECT_EQ(signatures(u"MetaSelDim"_s), selector);
    EXPECT_EQ(signatures(u"MetaSelRole"_s), selector);
    EXPECT_EQ(signatures(u"MetaSelCube"_s), selector + uR"(
GetCubeRoles 1(obj: Olap.Store&, tempCube: Quarvelo.CubeInfo&) -> Void
GetCubePartitions 1(obj: Olap.Store&, tempCube: Quarvelo.CubeInfo&) -> Boolean Boolean
GetPartitionInfo 1(obj: Olap.Store&, tempCube: Quarvelo.CubeInfo&) -> Boolean Boolean
GetCubeDataSources 1(obj: Olap.Store&, tempPart: Quarvelo.PartitionInfo&) -> Boolean Boolean
GetDataSourceInfo 1(obj: Olap.DataSource&, tempPart: Quarvelo.PartitionInfo&) -> Boolean Boolean
GetCubeDimensions 1(obj: Olap.Store&, tempCube: Quarvelo.CubeInfo&) -> Boolean Boolean
GetDimensionInfo 1(obj: Olap.Dimension&, tempCube: Quarvelo.CubeInfo&) -> Boolean Boolean
GetDimLevelInfo 1(obj: Olap.Dimension&, tempDimension: Quarvelo.DimensionInfo&) -> Void
GetLevelInfo 1(obj: Olap.Level&, tempDimension: Quarvelo.DimensionInfo&) -> Boolean Boolean
GetCubeMeasures 1(obj: Olap.Store&, tempCube: Quarvelo.CubeInfo&) -> Boolean Boolean
GetMeasureInfo 1(obj: Olap.Measure&, tempCube: Quarvelo.CubeInfo&) -> Boolean Boolean
GetCubeCalcMbrs 1(obj: Olap.Store&, tempCube: Quarvelo.CubeInfo&) -> Boolean Boolean
GetCalcMbrInfo 1(obj: Olap.Command&, tempCube: Quarvelo.CubeInfo&) -> Boolean Boolean)"_s);
}

TEST(TypeLibrary, DescribesTheFiveEnumerations) {
    QStringList enums;
    for (const EnumDesc& e : TypeLibrary().enums) {
        QString text = e.name + u':';
        for (const EnumMemberDesc& member : e.members)
            text += u' ' + member.name + u'=' + QString::number(member.value);
        enums << text;
    }
    EXPECT_EQ(enums, (QStringList{
                         u"LastActionEnum: laNone=0 laOK=1 laCancel=2 laReport=3"_s,
                         u"InitModeEnum: imOLAPServer=0 imApplication=1"_s,
                         u"CubeInfoNames: cinBegin=0 cinCubeRoles=1 cinpart=2 cinDS=3 cinDim=4 "
                         "cinDimLevelName=5 cinMsr=6 cinCalcMbr=7 cinEnd=8"_s,
                         u"DimInfoNames: dinBegin=0 dinLevel=1 dinLevelProp=2 dinCube=3 dinEnd=4"_s,
                         u"RoleInfoNames: rinBegin=0 rinUser=1 rinCube=2 rinEnd=3"_s,
                     }));
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
