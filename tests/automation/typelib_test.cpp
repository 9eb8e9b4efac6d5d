#include "enums.h"
#include "typelib.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace Lorvantic;
using namespace Qt::StringLiterals;

namespace {

QStringList memberNames(const InterfaceDesc& iface) {
    QStringList names;
    for (const MemberDesc& member : iface.members)
        names << member.name;
    return names;
}

const ClassDesc& classNamed(const QString& name) {
    const ClassDesc* cls = FindClass(QString(u"Lorvantic." + name));
    EXPECT_NE(cls, nullptr) << name.toStdString();
    return *cls;
}

} // namespace

TEST(TypeLibrary, NamesItselfWithVersionLocaleAndHelpFile) {
    const TypeLibDesc& lib = TypeLibrary();
    EXPECT_EQ(lib.name, u"Lorvantic"_s);
    EXPECT_EQ(lib.version(), u"1.0"_s);
    EXPECT_EQ(lib.locale, 0x409u);
    EXPECT_EQ(lib.helpFile, u"..\\HTML_help\\Kavenor-Report.chm"_s);
}

TEST(TypeLibrary, DescribesTheFourClassesWithTheirIdentifiers) {
    struct Row {
        QString name, clsid, iid;
    };
    const Row rows[] = {
        {u"MetaSelMain"_s, u"{7496BFD9-D493-11D3-A6DB-00805FA6ADDE}"_s,
         u"{7496BFD8-D493-11D3-A6DB-00805FA6ADDE}"_s},
        {u"MetaSelCube"_s, u"{7496BFE1-D493-11D3-A6DB-00805FA6ADDE}"_s,
         u"{7496BFE0-D493-11D3-A6DB-00805FA6ADDE}"_s},
        {u"MetaSelDim"_s, u"{7496BFE4-D493-11D3-A6DB-00805FA6ADDE}"_s,
         u"{7496BFE3-D493-11D3-A6DB-00805FA6ADDE}"_s},
        {u"MetaSelRole"_s, u"{7496BFE7-D493-11D3-A6DB-00805FA6ADDE}"_s,
         u"{7496BFE6-D493-11D3-A6DB-00805FA6ADDE}"_s},
    };
    ASSERT_EQ(TypeLibrary().classes.size(), qsizetype(std::size(rows)));
    for (qsizetype i = 0; i < TypeLibrary().classes.size(); ++i) {
        const ClassDesc& cls = TypeLibrary().classes[i];
        const Row& row = rows[i];
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

TEST(TypeLibrary, ListsTheMembersOfEachDefaultInterfaceInOrder) {
    const QStringList selector = {u"InitMode"_s, u"InitMode"_s, u"DSOServer"_s, u"ServerName"_s,
                                  u"ShowForm"_s};
    const QStringList collectors = {u"GetCubeRoles"_s,       u"GetCubePartitions"_s, u"GetPartitionInfo"_s,
                                    u"GetCubeDataSources"_s, u"GetDataSourceInfo"_s, u"GetCubeDimensions"_s,
                                    u"GetDimensionInfo"_s,   u"GetDimLevelInfo"_s,   u"GetLevelInfo"_s,
                                    u"GetCubeMeasures"_s,    u"GetMeasureInfo"_s,    u"GetCubeCalcMbrs"_s,
                                    u"GetCalcMbrInfo"_s};
    EXPECT_EQ(memberNames(classNamed(u"MetaSelMain"_s).defaultInterface), QStringList{u"StartReport"_s});
    EXPECT_EQ(memberNames(classNamed(u"MetaSelCube"_s).defaultInterface), selector + collectors);
    EXPECT_EQ(memberNames(classNamed(u"MetaSelDim"_s).defaultInterface), selector);
    EXPECT_EQ(memberNames(classNamed(u"MetaSelRole"_s).defaultInterface), selector);
}

TEST(TypeLibrary, GivesTheCollectorsTypedReferenceParameters) {
    const QList<MemberDesc>& members = classNamed(u"MetaSelCube"_s).defaultInterface.members;
    struct Row {
        QString name, obj, holderName, holder;
        ValueKind result;
    };
    const Row rows[] = {
        {u"GetCubeRoles"_s, u"Olap.Store"_s, u"tempCube"_s, u"Quarvelo.CubeInfo"_s, ValueKind::Void},
        {u"GetCubeDataSources"_s, u"Olap.Store"_s, u"tempPart"_s, u"Quarvelo.PartitionInfo"_s,
         ValueKind::Boolean},
        {u"GetDataSourceInfo"_s, u"Olap.DataSource"_s, u"tempPart"_s, u"Quarvelo.PartitionInfo"_s,
         ValueKind::Boolean},
        {u"GetDimLevelInfo"_s, u"Olap.Dimension"_s, u"tempDimension"_s, u"Quarvelo.DimensionInfo"_s,
         ValueKind::Void},
        {u"GetLevelInfo"_s, u"Olap.Level"_s, u"tempDimension"_s, u"Quarvelo.DimensionInfo"_s,
         ValueKind::Boolean},
        {u"GetCalcMbrInfo"_s, u"Olap.Command"_s, u"tempCube"_s, u"Quarvelo.CubeInfo"_s, ValueKind::Boolean},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name.toStdString());
        const auto member = std::find_if(members.begin(), members.end(),
                                         [&](const MemberDesc& m) { return m.name == row.name; });
        ASSERT_NE(member, members.end());
        EXPECT_EQ(member->kind, InvokeKind::Method);
        ASSERT_EQ(member->params.size(), 2);
        EXPECT_EQ(member->params[0].name, u"obj"_s);
        EXPECT_EQ(member->params[0].type.name, row.obj);
        EXPECT_EQ(member->params[1].name, row.holderName);
        EXPECT_EQ(member->params[1].type.name, row.holder);
        EXPECT_TRUE(member->params[0].byRef && member->params[1].byRef);
        EXPECT_EQ(member->result.kind, row.result);
    }
}

TEST(TypeLibrary, DescribesTheFiveEnumerations) {
    struct Row {
        QString name;
        QList<EnumMemberDesc> members;
    };
    const Row rows[] = {
        {u"LastActionEnum"_s, {{u"laNone"_s, 0}, {u"laOK"_s, 1}, {u"laCancel"_s, 2}, {u"laReport"_s, 3}}},
        {u"InitModeEnum"_s, {{u"imOLAPServer"_s, 0}, {u"imApplication"_s, 1}}},
        {u"CubeInfoNames"_s,
         {{u"cinBegin"_s, 0},
          {u"cinCubeRoles"_s, 1},
          {u"cinpart"_s, 2},
          {u"cinDS"_s, 3},
          {u"cinDim"_s, 4},
          {u"cinDimLevelName"_s, 5},
          {u"cinMsr"_s, 6},
          {u"cinCalcMbr"_s, 7},
          {u"cinEnd"_s, 8}}},
        {u"DimInfoNames"_s,
         {{u"dinBegin"_s, 0},
          {u"dinLevel"_s, 1},
          {u"dinLevelProp"_s, 2},
          {u"dinCube"_s, 3},
          {u"dinEnd"_s, 4}}},
        {u"RoleInfoNames"_s, {{u"rinBegin"_s, 0}, {u"rinUser"_s, 1}, {u"rinCube"_s, 2}, {u"rinEnd"_s, 3}}},
    };
    const QList<EnumDesc>& enums = TypeLibrary().enums;
    ASSERT_EQ(enums.size(), qsizetype(std::size(rows)));
    for (qsizetype i = 0; i < enums.size(); ++i) {
        SCOPED_TRACE(rows[i].name.toStdString());
        EXPECT_EQ(enums[i].name, rows[i].name);
        ASSERT_EQ(enums[i].members.size(), rows[i].members.size());
        for (qsizetype m = 0; m < enums[i].members.size(); ++m) {
            EXPECT_EQ(enums[i].members[m].name, rows[i].members[m].name);
            EXPECT_EQ(enums[i].members[m].value, rows[i].members[m].value);
        }
    }
}
