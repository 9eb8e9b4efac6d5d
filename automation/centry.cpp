// The plain C entry points of the shared library (include/lorvantic.h): registration, class
// objects with reference counts, and late-bound calls with C variants.

#include "automation/automationerrors.h"
#include "automation/dispatch.h"
#include "automation/factory.h"
#include "automation/include/lorvantic.h"
#include "automation/registration.h"
#include "model/error.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <thread>

namespace Lorvantic {
namespace {

using namespace Qt::StringLiterals;

// Instances and class objects alive, and server locks held: while any is, the library must
// stay loaded.
std::atomic<qint32> aliveCount{0};
std::atomic<qint32> lockCount{0};

thread_local QByteArray lastError;

class AliveToken {
public:
    AliveToken() { ++aliveCount; }
    ~AliveToken() { --aliveCount; }
    AliveToken(const AliveToken&) = delete;
    AliveToken& operator=(const AliveToken&) = delete;
};

LvResult failure(LvResult result, const QString& description) {
    lastError = description.toUtf8();
    return result;
}

// Negative numbers are already automation results; positive ones are run-time error numbers,
// which hosts know in the 0x800A0000 range.
LvResult resultOf(const Error& error) {
    if (error.number() < 0)
        return error.number();
    if (error.number() > 0 && error.number() <= 0xFFFF)
        return static_cast<LvResult>(0x800A0000U | static_cast<quint32>(error.number()));
    return LV_E_FAIL;
}

// The boundary to the host: no exception may unwind into C frames.
template <class Work> LvResult guarded(Work&& work) {
    lastError.clear();
    try {
        work();
        return LV_S_OK;
    } catch (const Error& error) {
        return failure(resultOf(error), error.description());
    } catch (const std::bad_alloc&) {
        return failure(LV_E_OUTOFMEMORY, u"Out of memory"_s);
    } catch (const std::exception& error) {
        return failure(LV_E_FAIL, QString::fromUtf8(error.what()));
    }
}

LvResult nullArgument(const char* what) {
    return failure(LV_E_POINTER, u"No %1 given"_s.arg(QLatin1String(what)));
}

template <class Handle, class Base> uint32_t addRef(Base* self) {
    if (!self)
        return 0;
    return ++static_cast<Handle*>(self)->refs;
}

template <class Handle, class Base> uint32_t release(Base* self) {
    if (!self)
        return 0;
    auto* handle = static_cast<Handle*>(self);
    const uint32_t left = --handle->refs;
    if (left == 0)
        delete handle;
    return left;
}

// --- variants --------------------------------------------------------------------------------

QVariant toQVariant(const LvVariant& variant) {
    switch (variant.type) {
    case LV_VT_EMPTY:
        return QVariant();
    case LV_VT_I4:
        return QVariant(variant.value.i4);
    case LV_VT_BOOL:
        return QVariant(variant.value.boolean != 0);
    case LV_VT_R8:
        return QVariant(variant.value.r8);
    case LV_VT_STRING:
        if (!variant.value.string)
            throw Error(ErrorNumber::NullPointer, u"A string argument without text"_s);
        return QVariant(QString::fromUtf8(variant.value.string));
    }
    throw Error(ErrorNumber::BadVariantType, u"Unknown variant type %1"_s.arg(variant.type));
}

LvVariant emptyVariant() {
    LvVariant variant;
    std::memset(&variant, 0, sizeof variant);
    variant.type = LV_VT_EMPTY;
    return variant;
}

char* copyText(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    auto* copy = static_cast<char*>(std::malloc(static_cast<std::size_t>(bytes.size()) + 1));
    if (!copy)
        throw std::bad_alloc();
    std::memcpy(copy, bytes.constData(), static_cast<std::size_t>(bytes.size()) + 1);
    return copy;
}

LvVariant toLvVariant(const QVariant& value) {
    LvVariant variant = emptyVariant();
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        break;
    case QMetaType::Int:
        variant.type = LV_VT_I4;
        variant.value.i4 = value.toInt();
        break;
    case QMetaType::Bool:
        variant.type = LV_VT_BOOL;
        variant.value.boolean = value.toBool() ? 1 : 0;
        break;
    case QMetaType::Double:
        variant.type = LV_VT_R8;
        variant.value.r8 = value.toDouble();
        break;
    case QMetaType::QString:
        variant.type = LV_VT_STRING;
        variant.value.string = copyText(value.toString());
        break;
    default:
        throw Error(ErrorNumber::BadVariantType,
                    u"A result of type %1 has no C variant"_s.arg(QLatin1String(value.typeName())));
    }
    return variant;
}

std::optional<InvokeKind> invokeKind(int32_t kind) {
    for (InvokeKind known :
         {InvokeKind::Method, InvokeKind::PropertyGet, InvokeKind::PropertyPut, InvokeKind::PropertyPutRef}) {
        if (static_cast<int32_t>(known) == kind)
            return known;
    }
    return std::nullopt;
}

// --- objects ---------------------------------------------------------------------------------

struct ObjectHandle : LvObject {
    explicit ObjectHandle(std::shared_ptr<Dispatch> dispatch);

    std::atomic<uint32_t> refs{1};
    std::shared_ptr<Dispatch> target;
    // Apartment threading: calls belong to the thread that made the object.
    std::thread::id apartment = std::this_thread::get_id();
    AliveToken alive;
};

LvResult objectInvoke(LvObject* self, const char* member, int32_t kind, const LvVariant* args, int32_t argc,
                      LvVariant* result) {
    lastError.clear();
    if (result)
        *result = emptyVariant();
    if (!self)
        return nullArgument("object");
    if (!member)
        return nullArgument("member name");
    if (argc < 0)
        return failure(LV_E_INVALIDARG, u"A negative argument count"_s);
    if (argc > 0 && !args)
        return nullArgument("arguments");
    const std::optional<InvokeKind> how = invokeKind(kind);
    if (!how)
        return failure(LV_E_INVALIDARG, u"Unknown invoke kind %1"_s.arg(kind));
    auto* handle = static_cast<ObjectHandle*>(self);
    if (std::this_thread::get_id() != handle->apartment)
        return failure(LV_RPC_E_WRONG_THREAD, u"The object belongs to another thread"_s);
    return guarded([&] {
        QVariantList arguments;
        for (int32_t i = 0; i < argc; ++i)
            arguments << toQVariant(args[i]);
        const QVariant value = handle->target->Invoke(QString::fromUtf8(member), *how, arguments);
        if (result)
            *result = toLvVariant(value);
    });
}

const LvObjectVtbl objectVtbl = {&addRef<ObjectHandle, LvObject>, &release<ObjectHandle, LvObject>,
                                 &objectInvoke};

ObjectHandle::ObjectHandle(std::shared_ptr<Dispatch> dispatch)
    : LvObject{&objectVtbl}
    , target(std::move(dispatch)) {}

// --- class objects ---------------------------------------------------------------------------

struct FactoryHandle : LvClassFactory {
    explicit FactoryHandle(const ClassFactory& classFactory);

    std::atomic<uint32_t> refs{1};
    ClassFactory factory;
    AliveToken alive;
};

LvResult factoryCreateInstance(LvClassFactory* self, LvObject** object) {
    lastError.clear();
    if (!object)
        return nullArgument("place for the object");
    *object = nullptr;
    if (!self)
        return nullArgument("class object");
    const ClassFactory& factory = static_cast<FactoryHandle*>(self)->factory;
    return guarded([&] { *object = new ObjectHandle(factory.CreateInstance()); });
}

LvResult factoryLockServer(LvClassFactory* self, int32_t lock) {
    lastError.clear();
    if (!self)
        return nullArgument("class object");
    if (lock) {
        ++lockCount;
        return LV_S_OK;
    }
    qint32 held = lockCount.load();
    while (held > 0) {
        if (lockCount.compare_exchange_weak(held, held - 1))
            return LV_S_OK;
    }
    return failure(LV_E_UNEXPECTED, u"No lock is held"_s);
}

const LvClassFactoryVtbl factoryVtbl = {&addRef<FactoryHandle, LvClassFactory>,
                                        &release<FactoryHandle, LvClassFactory>, &factoryCreateInstance,
                                        &factoryLockServer};

FactoryHandle::FactoryHandle(const ClassFactory& classFactory)
    : LvClassFactory{&factoryVtbl}
    , factory(classFactory) {}

} // namespace
} // namespace Lorvantic

using namespace Lorvantic;

extern "C" {

LvResult DllRegisterServer(void) {
    return guarded([] { RegisterServer(); });
}

LvResult DllUnregisterServer(void) {
    return guarded([] { UnregisterServer(); });
}

LvResult DllGetClassObject(const char* classId, LvClassFactory** factory) {
    lastError.clear();
    if (!factory)
        return nullArgument("place for the class object");
    *factory = nullptr;
    if (!classId)
        return nullArgument("class identifier");
    return guarded([&] { *factory = new FactoryHandle(ClassFactory(QString::fromUtf8(classId))); });
}

LvResult DllCanUnloadNow(void) {
    return aliveCount.load() == 0 && lockCount.load() == 0 ? LV_S_OK : LV_S_FALSE;
}

void LvVariantClear(LvVariant* variant) {
    if (!variant)
        return;
    if (variant->type == LV_VT_STRING)
        std::free(const_cast<char*>(variant->value.string));
    *variant = emptyVariant();
}

const char* LvLastErrorDescription(void) {
    return lastError.constData();
}

} // extern "C"
