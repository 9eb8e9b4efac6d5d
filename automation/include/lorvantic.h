#ifndef LORVANTIC_H
#define LORVANTIC_H

/*
 * The plain C surface of liblorvantic: registration, class objects and late-bound calls, for
 * hosts that know the component only by names.
 *
 * Results are 32-bit codes: 0 (LV_S_OK) for success, 1 (LV_S_FALSE) for "no" where a call
 * answers a question, negative for failure (LV_FAILED). After a failure,
 * LvLastErrorDescription() gives a readable text on the calling thread.
 *
 * Typical use after dlopen():
 *   DllRegisterServer();                         entries under $XDG_DATA_HOME/Lorvantic/
 *   DllGetClassObject("Lorvantic.MetaSelCube", &factory);
 *   factory->vtbl->CreateInstance(factory, &object);
 *   factory->vtbl->Release(factory);
 *   object->vtbl->Invoke(object, "ServerName", LV_INVOKE_PROPERTYPUT, &name, 1, NULL);
 *   object->vtbl->Release(object);               the last release ends the object
 *
 * Registration entries: one JSON file per class, $XDG_DATA_HOME/Lorvantic/<progId>.json
 * (default ~/.local/share/Lorvantic/), with the members "format" ("lorvantic-registration/1"),
 * "class", "classId", "progId", "interface", "interfaceId", "threadingModel", "library" (the
 * absolute path of the registered library) and "typeLibrary" (an object with "name",
 * "version", "locale" and "helpFile").
 *
 * Arguments convert as in late-bound C++ calls (dispatch.h): InitMode takes an integer, an
 * integral double or a decimal string; ServerName a string. Object parameters (DSOServer, the
 * collectors of MetaSelCube) have no C variant; an empty variant written to DSOServer by
 * reference drops the selector's server.
 *
 * Objects are apartment-threaded: call Invoke on the thread that created the object.
 * ShowForm and StartReport show dialogs on the thread of the host's Qt widget application; a
 * host without any Qt application gets one made by the library, kept for later calls, when a
 * display can be reached. Where no dialog can be shown, the call says why on standard error and
 * returns normally. Messages are message boxes wherever a widget application runs on the
 * calling thread, standard error elsewhere.
 */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define LV_API __attribute__((visibility("default")))
#else
#define LV_API
#endif

typedef int32_t LvResult;

#define LV_FAILED(result) ((result) < 0)

/* A result value in the host's language (C++ hosts build with strict cast warnings). */
#ifdef __cplusplus
#define LV_RESULT(value) static_cast<LvResult>(value)
#else
#define LV_RESULT(value) ((LvResult)(value))
#endif

#define LV_S_OK LV_RESULT(0)
#define LV_S_FALSE LV_RESULT(1)
#define LV_E_NOTIMPL LV_RESULT(0x80004001)
#define LV_E_POINTER LV_RESULT(0x80004003)
#define LV_E_FAIL LV_RESULT(0x80004005)
#define LV_E_UNEXPECTED LV_RESULT(0x8000FFFF)
#define LV_E_OUTOFMEMORY LV_RESULT(0x8007000E)
#define LV_E_INVALIDARG LV_RESULT(0x80070057)
#define LV_DISP_E_MEMBERNOTFOUND LV_RESULT(0x80020003)
#define LV_DISP_E_TYPEMISMATCH LV_RESULT(0x80020005)
#define LV_DISP_E_UNKNOWNNAME LV_RESULT(0x80020006)
#define LV_DISP_E_BADVARTYPE LV_RESULT(0x80020008)
#define LV_DISP_E_OVERFLOW LV_RESULT(0x8002000A)
#define LV_DISP_E_BADPARAMCOUNT LV_RESULT(0x8002000E)
#define LV_RPC_E_WRONG_THREAD LV_RESULT(0x8001010E)
#define LV_CLASS_E_CLASSNOTAVAILABLE LV_RESULT(0x80040111)
#define LV_SELFREG_E_CLASS LV_RESULT(0x80040201)

/* Variant types (the numbers of the usual automation variant types). */
typedef enum LvVarType {
    LV_VT_EMPTY = 0,
    LV_VT_I4 = 3,
    LV_VT_R8 = 5,
    LV_VT_STRING = 8, /* UTF-8, NUL-terminated */
    LV_VT_BOOL = 11   /* 0 false, anything else true; results are 0 or 1 */
} LvVarType;

typedef struct LvVariant {
    int32_t type; /* LvVarType */
    union {
        int32_t i4;
        int32_t boolean;
        double r8;
        /* Arguments: borrowed for the call. Results: owned by the caller, freed by LvVariantClear. */
        const char* string;
    } value;
} LvVariant;

/* How a member is reached (the values of the automation dispatch flags). */
typedef enum LvInvokeKind {
    LV_INVOKE_METHOD = 1,
    LV_INVOKE_PROPERTYGET = 2,
    LV_INVOKE_PROPERTYPUT = 4,
    LV_INVOKE_PROPERTYPUTREF = 8
} LvInvokeKind;

typedef struct LvObject LvObject;

typedef struct LvObjectVtbl {
    /* Both return the new reference count (0 for a NULL object). */
    uint32_t (*AddRef)(LvObject* self);
    uint32_t (*Release)(LvObject* self);
    /* Calls the member by name (case-insensitive). args[0..argc-1] in declaration order; a
     * property put or putref takes the new value as its one argument. result may be NULL; when
     * given it is overwritten (LV_VT_EMPTY for members without a result). */
    LvResult (*Invoke)(LvObject* self, const char* member, int32_t kind, const LvVariant* args, int32_t argc,
                       LvVariant* result);
} LvObjectVtbl;

struct LvObject {
    const LvObjectVtbl* vtbl;
};

typedef struct LvClassFactory LvClassFactory;

typedef struct LvClassFactoryVtbl {
    uint32_t (*AddRef)(LvClassFactory* self);
    uint32_t (*Release)(LvClassFactory* self);
    /* A new object with one reference; *object is NULL on failure. */
    LvResult (*CreateInstance)(LvClassFactory* self, LvObject** object);
    /* Non-zero lock: keep the library loaded (DllCanUnloadNow says LV_S_FALSE) until unlocked. */
    LvResult (*LockServer)(LvClassFactory* self, int32_t lock);
} LvClassFactoryVtbl;

struct LvClassFactory {
    const LvClassFactoryVtbl* vtbl;
};

/* Writes the registration entries of every class (unchanged entries are left untouched). */
LV_API LvResult DllRegisterServer(void);
/* Removes exactly the entries DllRegisterServer writes. */
LV_API LvResult DllUnregisterServer(void);
/* The class object of the class with that class identifier (braces optional) or programmatic
 * identifier, both case-insensitive; one reference. *factory is NULL on failure. */
LV_API LvResult DllGetClassObject(const char* classId, LvClassFactory** factory);
/* LV_S_OK when no object or class object is alive and no lock is held, else LV_S_FALSE. */
LV_API LvResult DllCanUnloadNow(void);

/* Frees a result string and leaves the variant LV_VT_EMPTY. */
LV_API void LvVariantClear(LvVariant* variant);
/* The description of the last failure on this thread ("" after a success); valid until the
 * next call into the library on this thread. */
LV_API const char* LvLastErrorDescription(void);

/* Pointer types for dlsym(). */
typedef LvResult (*LvDllRegisterServerFn)(void);
typedef LvResult (*LvDllUnregisterServerFn)(void);
typedef LvResult (*LvDllGetClassObjectFn)(const char* classId, LvClassFactory** factory);
typedef LvResult (*LvDllCanUnloadNowFn)(void);
typedef void (*LvVariantClearFn)(LvVariant* variant);
typedef const char* (*LvLastErrorDescriptionFn)(void);

#ifdef __cplusplus
}
#endif

#endif /* LORVANTIC_H */
