#pragma once

// The type library: everything a host that knows the component only by names can learn about
// it - the classes with their identifiers, their default interfaces member by member, and the
// enumerations.

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringView>
#include <QUuid>

namespace Lorvantic {

// How a member is reached; the values are those of the automation dispatch flags.
enum class InvokeKind : qint32 { Method = 1, PropertyGet = 2, PropertyPut = 4, PropertyPutRef = 8 };

enum class ValueKind { Void, Int32, Boolean, String, Object };

struct TypeDesc {
    ValueKind kind = ValueKind::Void;
    QString name; // "InitModeEnum", "String", "Boolean", "Olap.Store", "Quarvelo.CubeInfo"
    // Objects only: the shared pointer type a variant argument must hold.
    QMetaType objectType;
};

struct ParamDesc {
    QString name;
    TypeDesc type;
    bool byRef = false;
};

struct MemberDesc {
    QString name;
    InvokeKind kind = InvokeKind::Method;
    QList<ParamDesc> params;
    TypeDesc result;
};

// A hidden, dual, non-extensible automation interface.
struct InterfaceDesc {
    QString name;
    QUuid iid;
    QString baseInterface;
    QList<MemberDesc> members; // in declaration order
};

struct ClassDesc {
    QString name;
    QUuid clsid;
    QString progId;
    QString threadingModel;
    bool creatable = true;
    InterfaceDesc defaultInterface;
};

struct EnumMemberDesc {
    QString name;
    qint32 value = 0;
};

struct EnumDesc {
    QString name;
    QList<EnumMemberDesc> members;
};

struct TypeLibDesc {
    QString name;
    quint16 majorVersion = 0;
    quint16 minorVersion = 0;
    quint32 locale = 0;
    QString helpFile;
    QList<ClassDesc> classes;
    QList<EnumDesc> enums;

    QString version() const { return QString::number(majorVersion) + u'.' + QString::number(minorVersion); }
};

const TypeLibDesc& TypeLibrary();

// The class whose class identifier (braces optional) or programmatic identifier is id, ignoring
// letter case; nullptr when there is none.
const ClassDesc* FindClass(QStringView id);

// "{7496BFE1-D493-11D3-A6DB-00805FA6ADDE}": braces, upper case, as hosts write identifiers.
QString IdentifierText(const QUuid& id);

} // namespace Lorvantic
