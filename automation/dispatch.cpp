#include "automation/dispatch.h"

#include "automation/metaselcube.h"
#include "automation/metaseldim.h"
#include "automation/metaselmain.h"
#include "automation/metaselrole.h"
#include "model/error.h"
#include "model/holders.h"
#include "model/olap.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QThread>
#include <cmath>
#include <limits>
#include <optional>
#include <type_traits>
#include <vector>

namespace Lorvantic {

using namespace Qt::StringLiterals;

namespace {

[[noreturn]] void raise(qint32 number, const QString& description) {
    throw Error(number, description);
}

// Arguments arrive already converted to their parameters' types.
template <class T> using Handler = QVariant (*)(T& object, const QVariantList& args);

// Where the late-bound name of a member leads in the C++ class.
template <class T> struct Binding {
    QStringView name;
    InvokeKind kind;
    Handler<T> call;
};

template <class T> using Bindings = std::vector<Binding<T>>;

// --- members and arguments -------------------------------------------------------------------

QString accessText(InvokeKind kind) {
    switch (kind) {
    case InvokeKind::Method:
        return u"called"_s;
    case InvokeKind::PropertyGet:
        return u"read"_s;
    case InvokeKind::PropertyPut:
        return u"written"_s;
    case InvokeKind::PropertyPutRef:
        return u"set by reference"_s;
    }
    return QString();
}

const MemberDesc& resolveMember(const ClassDesc& cls, const QString& name, InvokeKind kind) {
    bool named = false;
    for (const MemberDesc& member : cls.defaultInterface.members) {
        if (member.name.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (member.kind == kind)
            return member;
        named = true;
    }
    if (named)
        raise(ErrorNumber::MemberNotFound, u"%1 of %2 cannot be %3"_s.arg(name, cls.name, accessText(kind)));
    raise(ErrorNumber::UnknownName, u"%1 has no member \"%2\""_s.arg(cls.name, name));
}

QString argumentText(const MemberDesc& member, qsizetype index) {
    return u"Argument %1 (%2) of %3"_s.arg(index + 1).arg(member.params[index].name, member.name);
}

bool isIntegerType(int typeId) {
    switch (typeId) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

// The number an argument stands for when it is an integer, an integral double or a decimal
// string (infinite when the string's number is too long for 64 bits); none otherwise.
std::optional<double> integralNumber(const QVariant& arg) {
    const int typeId = arg.typeId();
    if (isIntegerType(typeId))
        return arg.toDouble();
    if (typeId == QMetaType::Double || typeId == QMetaType::Float) {
        const double value = arg.toDouble();
        if (std::isnan(value) || (std::isfinite(value) && std::trunc(value) != value))
            return std::nullopt;
        return value;
    }
    if (typeId == QMetaType::QString) {
        static const QRegularExpression decimal(u"^[+-]?[0-9]+$"_s);
        const QString text = arg.toString().trimmed();
        if (!decimal.match(text).hasMatch())
            return std::nullopt;
        bool ok = false;
        const qlonglong value = text.toLongLong(&ok);
        return ok ? static_cast<double>(value) : std::numeric_limits<double>::infinity();
    }
    return std::nullopt;
}

QVariant toInt32(const MemberDesc& member, qsizetype index, const QVariant& arg) {
    const std::optional<double> number = integralNumber(arg);
    if (!number)
        raise(ErrorNumber::ArgumentTypeMismatch, argumentText(member, index) + u": type mismatch"_s);
    if (*number < std::numeric_limits<qint32>::min() || *number > std::numeric_limits<qint32>::max())
        raise(ErrorNumber::ArgumentOverflow, argumentText(member, index) + u": overflow"_s);
    return QVariant(static_cast<qint32>(*number));
}

QVariant coerce(const MemberDesc& member, qsizetype index, const QVariant& arg) {
    const TypeDesc& type = member.params[index].type;
    switch (type.kind) {
    case ValueKind::Int32:
        return toInt32(member, index, arg);
    case ValueKind::String:
        if (arg.typeId() == QMetaType::QString)
            return arg;
        break;
    case ValueKind::Boolean:
        if (arg.typeId() == QMetaType::Bool)
            return arg;
        break;
    case ValueKind::Object:
        // An empty variant is no object: a null pointer of the parameter's type.
        if (!arg.isValid())
            return QVariant(type.objectType);
        if (arg.metaType() == type.objectType)
            return arg;
        break;
    case ValueKind::Void:
        break;
    }
    raise(ErrorNumber::ArgumentTypeMismatch, argumentText(member, index) + u": type mismatch"_s);
}

QVariantList coerceArguments(const MemberDesc& member, const QVariantList& args) {
    if (args.size() != member.params.size())
        raise(
            ErrorNumber::BadParamCount,
            u"%1 takes %2 argument(s), not %3"_s.arg(member.name).arg(member.params.size()).arg(args.size()));
    QVariantList converted;
    converted.reserve(args.size());
    for (qsizetype i = 0; i < args.size(); ++i)
        converted << coerce(member, i, args[i]);
    return converted;
}

// --- handlers --------------------------------------------------------------------------------

// Windows belong to the application's thread; a call from another thread is the host's fault.
// (Without any application the selector makes one itself.)
void requireWidgetThread(const QString& member) {
    const QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread())
        raise(ErrorNumber::WrongThread, member + u" must be called on the application's thread"_s);
}

// The object an argument shares; the collectors work on references, so there must be one.
template <class T> std::remove_const_t<T>& referenced(const QVariant& arg) {
    const auto object = arg.value<std::shared_ptr<std::remove_const_t<T>>>();
    if (!object)
        raise(ErrorNumber::NullPointer, u"A collector was given no object"_s);
    return *object;
}

template <class Result, class Obj, class Holder>
QVariant callCollector(MetaSelCube& cube, Result (CubeCollectors::*collect)(Obj&, Holder&),
                       const QVariantList& args) {
    Obj& obj = referenced<Obj>(args[0]);
    Holder& holder = referenced<Holder>(args[1]);
    if constexpr (std::is_void_v<Result>) {
        (cube.*collect)(obj, holder);
        return QVariant();
    } else {
        return QVariant((cube.*collect)(obj, holder));
    }
}

template <auto collect> QVariant collectorHandler(MetaSelCube& cube, const QVariantList& args) {
    return callCollector(cube, collect, args);
}

template <class T> Bindings<T> selectorBindings() {
    return {
        {u"InitMode", InvokeKind::PropertyGet,
         [](T& selector, const QVariantList&) {
             return QVariant(selector.get_InitMode());
         }},
        {u"InitMode", InvokeKind::PropertyPut,
         [](T& selector, const QVariantList& args) {
             selector.put_InitMode(args[0].toInt());
             return QVariant();
         }},
        {u"DSOServer", InvokeKind::PropertyPutRef,
         [](T& selector, const QVariantList& args) {
             selector.putref_DSOServer(args[0].value<std::shared_ptr<Olap::Server>>());
             return QVariant();
         }},
        {u"ServerName", InvokeKind::PropertyPut,
         [](T& selector, const QVariantList& args) {
             selector.put_ServerName(args[0].toString());
             return QVariant();
         }},
        {u"ShowForm", InvokeKind::Method,
         [](T& selector, const QVariantList&) {
             requireWidgetThread(u"ShowForm"_s);
             selector.ShowForm();
             return QVariant();
         }},
    };
}

Bindings<MetaSelCube> cubeBindings() {
    Bindings<MetaSelCube> bindings = selectorBindings<MetaSelCube>();
    const Bindings<MetaSelCube> collectors = {
        {u"GetCubeRoles", InvokeKind::Method, &collectorHandler<&MetaSelCube::GetCubeRoles>},
        {u"GetCubePartitions", InvokeKind::Method, &collectorHandler<&MetaSelCube::GetCubePartitions>},
        {u"GetPartitionInfo", InvokeKind::Method, &collectorHandler<&MetaSelCube::GetPartitionInfo>},
        {u"GetCubeDataSources", InvokeKind::Method, &collectorHandler<&MetaSelCube::GetCubeDataSources>},
        {u"GetDataSourceInfo", InvokeKind::Method, &collectorHandler<&MetaSelCube::GetDataSourceInfo>},
        {u"GetCubeDimensions", InvokeKind::Method, &collectorHandler<&MetaSelCube::GetCubeDimensions>},
        {u"GetDimensionInfo", InvokeKind::Method, &collectorHandler<&MetaSelCube::GetDimensionInfo>},
        {u"GetDimLevelInfo", InvokeKind::Method, &collectorHandler<&MetaSelCube::GetDimLevelInfo>},
        {u"GetLevelInfo", InvokeKind::Method, &collectorHandler<&MetaSelCube::GetLevelInfo>},
        {u"GetCubeMeasures", InvokeKind::Method, &collectorHandler<&MetaSelCube::GetCubeMeasures>},
        {u"GetMeasureInfo", InvokeKind::Method, &collectorHandler<&MetaSelCube::GetMeasureInfo>},
        {u"GetCubeCalcMbrs", InvokeKind::Method, &collectorHandler<&MetaSelCube::GetCubeCalcMbrs>},
        {u"GetCalcMbrInfo", InvokeKind::Method, &collectorHandler<&MetaSelCube::GetCalcMbrInfo>},
    };
    bindings.insert(bindings.end(), collectors.begin(), collectors.end());
    return bindings;
}

Bindings<MetaSelMain> mainBindings() {
    return {
        {u"StartReport", InvokeKind::Method,
         [](MetaSelMain& main, const QVariantList&) {
             requireWidgetThread(u"StartReport"_s);
             main.StartReport();
             return QVariant();
         }},
    };
}

// --- the dispatch ----------------------------------------------------------------------------

template <class T> class ObjectDispatch final : public Dispatch {
public:
    ObjectDispatch(const ClassDesc& cls, const Bindings<T>& bindings, std::shared_ptr<T> object)
        : m_class(cls)
        , m_bindings(bindings)
        , m_object(std::move(object)) {}

    const ClassDesc& classDesc() const override { return m_class; }

    QVariant Invoke(const QString& member, InvokeKind kind, const QVariantList& args) override {
        const MemberDesc& desc = resolveMember(m_class, member, kind);
        const Handler<T> call = handlerOf(desc);
        return call(*m_object, coerceArguments(desc, args));
    }

private:
    Handler<T> handlerOf(const MemberDesc& desc) const {
        for (const Binding<T>& binding : m_bindings) {
            if (binding.kind == desc.kind && binding.name == desc.name)
                return binding.call;
        }
        raise(ErrorNumber::NotImplemented, u"%1 of %2 is not implemented"_s.arg(desc.name, m_class.name));
    }

    const ClassDesc& m_class;
    const Bindings<T>& m_bindings;
    std::shared_ptr<T> m_object;
};

const ClassDesc& classNamed(QStringView name) {
    for (const ClassDesc& cls : TypeLibrary().classes) {
        if (cls.name == name)
            return cls;
    }
    raise(ErrorNumber::ClassNotAvailable, u"No class %1 in the type library"_s.arg(name));
}

template <class T>
std::shared_ptr<Dispatch> makeDispatch(QStringView className, const Bindings<T>& bindings,
                                       std::shared_ptr<T> object) {
    if (!object)
        raise(ErrorNumber::NullPointer, u"No %1 object to reach"_s.arg(className));
    return std::make_shared<ObjectDispatch<T>>(classNamed(className), bindings, std::move(object));
}

} // namespace

std::shared_ptr<Dispatch> MakeDispatch(std::shared_ptr<MetaSelMain> object) {
    static const Bindings<MetaSelMain> bindings = mainBindings();
    return makeDispatch(u"MetaSelMain", bindings, std::move(object));
}

std::shared_ptr<Dispatch> MakeDispatch(std::shared_ptr<MetaSelCube> object) {
    static const Bindings<MetaSelCube> bindings = cubeBindings();
    return makeDispatch(u"MetaSelCube", bindings, std::move(object));
}

std::shared_ptr<Dispatch> MakeDispatch(std::shared_ptr<MetaSelDim> object) {
    static const Bindings<MetaSelDim> bindings = selectorBindings<MetaSelDim>();
    return makeDispatch(u"MetaSelDim", bindings, std::move(object));
}

std::shared_ptr<Dispatch> MakeDispatch(std::shared_ptr<MetaSelRole> object) {
    static const Bindings<MetaSelRole> bindings = selectorBindings<MetaSelRole>();
    return makeDispatch(u"MetaSelRole", bindings, std::move(object));
}

} // namespace Lorvantic
