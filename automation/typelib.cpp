#include "automation/typelib.h"

#include "core/selector.h"
#include "model/holders.h"
#include "model/olap.h"

#include <memory>

namespace Lorvantic {

using namespace Qt::StringLiterals;

namespace {

template <class T> TypeDesc objectType(const QString& name) {
    return {ValueKind::Object, name, QMetaType::fromType<std::shared_ptr<T>>()};
}

TypeDesc initModeType() {
    return {ValueKind::Int32, u"InitModeEnum"_s, {}};
}
TypeDesc stringType() {
    return {ValueKind::String, u"String"_s, {}};
}
TypeDesc booleanType() {
    return {ValueKind::Boolean, u"Boolean"_s, {}};
}

// The members every selector interface starts with.
QList<MemberDesc> selectorMembers() {
    return {
        {u"InitMode"_s, InvokeKind::PropertyGet, {}, initModeType()},
        {u"InitMode"_s, InvokeKind::PropertyPut, {{u"newMode"_s, initModeType()}}, {}},
        {u"DSOServer"_s,
         InvokeKind::PropertyPutRef,
         {{u"newServ"_s, objectType<Olap::Server>(u"Olap.Server"_s)}},
         {}},
        {u"ServerName"_s, InvokeKind::PropertyPut, {{u"newServName"_s, stringType()}}, {}},
        {u"ShowForm"_s, InvokeKind::Method, {}, {}},
    };
}

// A collector fills the holder (second parameter) from the OLAP object; both by reference.
MemberDesc collector(const QString& name, const TypeDesc& obj, const QString& holderName,
                     const TypeDesc& holder, const TypeDesc& result) {
    return {name, InvokeKind::Method, {{u"obj"_s, obj, true}, {holderName, holder, true}}, result};
}

QList<MemberDesc> cubeMembers() {
    const TypeDesc store = objectType<Olap::Store>(u"Olap.Store"_s);
    const TypeDesc dataSource = objectType<Olap::DataSource>(u"Olap.DataSource"_s);
    const TypeDesc dimension = objectType<Olap::Dimension>(u"Olap.Dimension"_s);
    const TypeDesc level = objectType<Olap::Level>(u"Olap.Level"_s);
    const TypeDesc measure = objectType<Olap::Measure>(u"Olap.Measure"_s);
    const TypeDesc command = objectType<Olap::Command>(u"Olap.Command"_s);
    const TypeDesc cube = objectType<CubeInfo>(u"Quarvelo.CubeInfo"_s);
    const TypeDesc part = objectType<PartitionInfo>(u"Quarvelo.PartitionInfo"_s);
    const TypeDesc dimensionInfo = objectType<DimensionInfo>(u"Quarvelo.DimensionInfo"_s);
    const TypeDesc none;
    const TypeDesc boolean = booleanType();

    QList<MemberDesc> members = selectorMembers();
    members << collector(u"GetCubeRoles"_s, store, u"tempCube"_s, cube, none)
            << collector(u"GetCubePartitions"_s, store, u"tempCube"_s, cube, boolean)
            << collector(u"GetPartitionInfo"_s, store, u"tempCube"_s, cube, boolean)
            << collector(u"GetCubeDataSources"_s, store, u"tempPart"_s, part, boolean)
            << collector(u"GetDataSourceInfo"_s, dataSource, u"tempPart"_s, part, boolean)
            << collector(u"GetCubeDimensions"_s, store, u"tempCube"_s, cube, boolean)
            << collector(u"GetDimensionInfo"_s, dimension, u"tempCube"_s, cube, boolean)
            << collector(u"GetDimLevelInfo"_s, dimension, u"tempDimension"_s, dimensionInfo, none)
            << collector(u"GetLevelInfo"_s, level, u"tempDimension"_s, dimensionInfo, boolean)
            << collector(u"GetCubeMeasures"_s, store, u"tempCube"_s, cube, boolean)
            << collector(u"GetMeasureInfo"_s, measure, u"tempCube"_s, cube, boolean)
            << collector(u"GetCubeCalcMbrs"_s, store, u"tempCube"_s, cube, boolean)
            << collector(u"GetCalcMbrInfo"_s, command, u"tempCube"_s, cube, boolean);
    return members;
}

ClassDesc makeClass(const QString& libraryName, const QString& name, QStringView clsid, QStringView iid,
                    QList<MemberDesc> members) {
    ClassDesc cls;
    cls.name = name;
    cls.clsid = QUuid::fromString(clsid);
    cls.progId = libraryName + u'.' + name;
    cls.threadingModel = u"Apartment"_s;
    cls.defaultInterface = {u'_' + name, QUuid::fromString(iid), u"IDispatch"_s, std::move(members)};
    return cls;
}

QList<EnumDesc> enumerations() {
    return {
        {u"LastActionEnum"_s,
         {{u"laNone"_s, laNone}, {u"laOK"_s, laOK}, {u"laCancel"_s, laCancel}, {u"laReport"_s, laReport}}},
        {u"InitModeEnum"_s, {{u"imOLAPServer"_s, imOLAPServer}, {u"imApplication"_s, imApplication}}},
        {u"CubeInfoNames"_s,
         {{u"cinBegin"_s, cinBegin},
          {u"cinCubeRoles"_s, cinCubeRoles},
          {u"cinpart"_s, cinpart},
          {u"cinDS"_s, cinDS},
          {u"cinDim"_s, cinDim},
          {u"cinDimLevelName"_s, cinDimLevelName},
          {u"cinMsr"_s, cinMsr},
          {u"cinCalcMbr"_s, cinCalcMbr},
          {u"cinEnd"_s, cinEnd}}},
        {u"DimInfoNames"_s,
         {{u"dinBegin"_s, dinBegin},
          {u"dinLevel"_s, dinLevel},
          {u"dinLevelProp"_s, dinLevelProp},
          {u"dinCube"_s, dinCube},
          {u"dinEnd"_s, dinEnd}}},
        {u"RoleInfoNames"_s,
         {{u"rinBegin"_s, rinBegin},
          {u"rinUser"_s, rinUser},
          {u"rinCube"_s, rinCube},
          {u"rinEnd"_s, rinEnd}}},
    };
}

TypeLibDesc makeTypeLibrary() {
    TypeLibDesc lib;
    lib.name = u"Lorvantic"_s;
    lib.majorVersion = 1;
    lib.minorVersion = 0;
    lib.locale = 0x409;
    lib.helpFile = u"..\\HTML_help\\Kavenor-Report.chm"_s;
    lib.classes = {
        makeClass(lib.name, u"MetaSelMain"_s, u"{7496BFD9-D493-11D3-A6DB-00805FA6ADDE}",
                  u"{7496BFD8-D493-11D3-A6DB-00805FA6ADDE}",
                  {{u"StartReport"_s, InvokeKind::Method, {}, {}}}),
        makeClass(lib.name, u"MetaSelCube"_s, u"{7496BFE1-D493-11D3-A6DB-00805FA6ADDE}",
                  u"{7496BFE0-D493-11D3-A6DB-00805FA6ADDE}", cubeMembers()),
        makeClass(lib.name, u"MetaSelDim"_s, u"{7496BFE4-D493-11D3-A6DB-00805FA6ADDE}",
                  u"{7496BFE3-D493-11D3-A6DB-00805FA6ADDE}", selectorMembers()),
        makeClass(lib.name, u"MetaSelRole"_s, u"{7496BFE7-D493-11D3-A6DB-00805FA6ADDE}",
                  u"{7496BFE6-D493-11D3-A6DB-00805FA6ADDE}", selectorMembers()),
    };
    lib.enums = enumerations();
    return lib;
}

// "{...}" without its braces; anything else unchanged.
QStringView withoutBraces(QStringView id) {
    if (id.size() >= 2 && id.startsWith(u'{') && id.endsWith(u'}'))
        return id.mid(1, id.size() - 2);
    return id;
}

} // namespace

const TypeLibDesc& TypeLibrary() {
    static const TypeLibDesc lib = makeTypeLibrary();
    return lib;
}

const ClassDesc* FindClass(QStringView id) {
    const QStringView bare = withoutBraces(id);
    for (const ClassDesc& cls : TypeLibrary().classes) {
        if (id.compare(cls.progId, Qt::CaseInsensitive) == 0 ||
            bare.compare(cls.clsid.toString(QUuid::WithoutBraces), Qt::CaseInsensitive) == 0)
            return &cls;
    }
    return nullptr;
}

QString IdentifierText(const QUuid& id) {
    return id.toString(QUuid::WithBraces).toUpper();
}

} // namespace Lorvantic
