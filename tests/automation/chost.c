/*
 * A host in plain C: it knows the component only through lorvantic.h and the registration
 * entries. It loads the library, registers it, finds Lorvantic.MetaSelCube in the entries,
 * creates the object through the class object, drives it by name, releases it, unregisters
 * and checks that the entries are gone. Along the way it feeds the entry points bad input.
 *
 * Usage: automation_chost PATH-OF-LIBLORVANTIC
 */

#define _POSIX_C_SOURCE 200809L

#include "lorvantic.h"

#include <dirent.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static int failures = 0;

#define CHECK(condition)                                                                                     \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);                    \
            ++failures;                                                                                      \
        }                                                                                                    \
    } while (0)

struct Library {
    void* handle;
    LvDllRegisterServerFn registerServer;
    LvDllUnregisterServerFn unregisterServer;
    LvDllGetClassObjectFn getClassObject;
    LvDllCanUnloadNowFn canUnloadNow;
    LvVariantClearFn variantClear;
    LvLastErrorDescriptionFn lastError;
};

/* dlsym hands out object pointers; copying the bytes is the POSIX way to a function pointer. */
static int bind(void* handle, const char* name, void* function, size_t size) {
    void* symbol = dlsym(handle, name);
    if (!symbol) {
        fprintf(stderr, "missing entry point %s\n", name);
        return 0;
    }
    memcpy(function, &symbol, size);
    return 1;
}

static int load(const char* path, struct Library* lib) {
    lib->handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!lib->handle) {
        fprintf(stderr, "dlopen: %s\n", dlerror());
        return 0;
    }
    return bind(lib->handle, "DllRegisterServer", &lib->registerServer, sizeof lib->registerServer) &&
           bind(lib->handle, "DllUnregisterServer", &lib->unregisterServer, sizeof lib->unregisterServer) &&
           bind(lib->handle, "DllGetClassObject", &lib->getClassObject, sizeof lib->getClassObject) &&
           bind(lib->handle, "DllCanUnloadNow", &lib->canUnloadNow, sizeof lib->canUnloadNow) &&
           bind(lib->handle, "LvVariantClear", &lib->variantClear, sizeof lib->variantClear) &&
           bind(lib->handle, "LvLastErrorDescription", &lib->lastError, sizeof lib->lastError);
}

static char* readFile(const char* path) {
    FILE* file = fopen(path, "rb");
    if (!file)
        return NULL;
    char* text = calloc(1, 65536);
    if (text && fread(text, 1, 65535, file) == 0) {
        free(text);
        text = NULL;
    }
    fclose(file);
    return text;
}

/* The string value of "key" in a registration entry (simple escapes undone), or NULL. */
static char* jsonString(const char* json, const char* key) {
    char pattern[128];
    snprintf(pattern, sizeof pattern, "\"%s\": \"", key);
    const char* start = strstr(json, pattern);
    if (!start)
        return NULL;
    start += strlen(pattern);
    char* value = calloc(1, strlen(start) + 1);
    char* out = value;
    for (const char* in = start; *in && *in != '"'; ++in) {
        if (*in == '\\' && in[1])
            ++in;
        *out++ = *in;
    }
    return value;
}

static LvVariant i4(int32_t value) {
    LvVariant v = {LV_VT_I4, {0}};
    v.value.i4 = value;
    return v;
}

static LvVariant text(const char* value) {
    LvVariant v = {LV_VT_STRING, {0}};
    v.value.string = value;
    return v;
}

static void checkClassObjectErrors(const struct Library* lib, const char* classId) {
    LvClassFactory* factory = (LvClassFactory*)1;
    CHECK(lib->getClassObject("Lorvantic.NoSuchClass", &factory) == LV_CLASS_E_CLASSNOTAVAILABLE);
    CHECK(factory == NULL);
    CHECK(lib->lastError()[0] != '\0');
    CHECK(lib->getClassObject(NULL, &factory) == LV_E_POINTER);
    CHECK(lib->getClassObject(classId, NULL) == LV_E_POINTER);
}

static void checkInvokeErrors(const struct Library* lib, LvObject* object) {
    const LvObjectVtbl* vtbl = object->vtbl;
    LvVariant result = i4(7);
    LvVariant one = i4(1);
    LvVariant two[2] = {i4(1), i4(2)};
    LvVariant word = text("abc");
    LvVariant badType = {99, {0}};
    LvVariant noText = text(NULL);

    CHECK(vtbl->Invoke(object, "ServerName", LV_INVOKE_PROPERTYGET, NULL, 0, &result) ==
          LV_DISP_E_MEMBERNOTFOUND);
    CHECK(result.type == LV_VT_EMPTY);
    CHECK(vtbl->Invoke(object, "DSOServer", LV_INVOKE_PROPERTYGET, NULL, 0, &result) ==
          LV_DISP_E_MEMBERNOTFOUND);
    CHECK(vtbl->Invoke(object, "NoSuchMember", LV_INVOKE_METHOD, NULL, 0, NULL) == LV_DISP_E_UNKNOWNNAME);
    CHECK(strstr(lib->lastError(), "NoSuchMember") != NULL);
    CHECK(vtbl->Invoke(object, "InitMode", LV_INVOKE_PROPERTYPUT, two, 2, NULL) == LV_DISP_E_BADPARAMCOUNT);
    CHECK(vtbl->Invoke(object, "InitMode", LV_INVOKE_PROPERTYPUT, &word, 1, NULL) == LV_DISP_E_TYPEMISMATCH);
    CHECK(vtbl->Invoke(object, "InitMode", LV_INVOKE_PROPERTYPUT, &badType, 1, NULL) == LV_DISP_E_BADVARTYPE);
    CHECK(vtbl->Invoke(object, "ServerName", LV_INVOKE_PROPERTYPUT, &noText, 1, NULL) == LV_E_POINTER);
    CHECK(vtbl->Invoke(object, "InitMode", LV_INVOKE_PROPERTYPUT, NULL, 1, NULL) == LV_E_POINTER);
    CHECK(vtbl->Invoke(object, "InitMode", LV_INVOKE_PROPERTYPUT, &one, -1, NULL) == LV_E_INVALIDARG);
    CHECK(vtbl->Invoke(object, "InitMode", 3, NULL, 0, NULL) == LV_E_INVALIDARG);
    CHECK(vtbl->Invoke(object, NULL, LV_INVOKE_METHOD, NULL, 0, NULL) == LV_E_POINTER);
    CHECK(vtbl->Invoke(NULL, "InitMode", LV_INVOKE_PROPERTYGET, NULL, 0, NULL) == LV_E_POINTER);
    /* Dialogs need a widget application, which this host does not have. */
    CHECK(vtbl->Invoke(object, "ShowForm", LV_INVOKE_METHOD, NULL, 0, NULL) == LV_E_UNEXPECTED);
    CHECK(vtbl->AddRef(NULL) == 0);
    CHECK(vtbl->Release(NULL) == 0);
    lib->variantClear(NULL);
}

/* Bad calls beyond the basic ones: every one is refused with an error result, none crashes. */
static void checkRejectedCalls(const struct Library* lib, const char* classId, LvObject* object) {
    const LvObjectVtbl* vtbl = object->vtbl;
    LvClassFactory* factory = NULL;
    LvObject* made = (LvObject*)1;
    LvVariant one = i4(1);
    LvVariant two[2] = {i4(1), i4(2)};
    LvVariant huge = {LV_VT_R8, {0}};
    LvVariant fraction = {LV_VT_R8, {0}};
    LvVariant name = text("sample");
    LvVariant result = i4(7);
    static char longName[10001];

    huge.value.r8 = 1e300;
    fraction.value.r8 = 1.5;
    memset(longName, 'M', sizeof longName - 1);

    /* Class objects: null self, unknown or malformed identifiers. */
    CHECK(lib->getClassObject(classId, &factory) == LV_S_OK);
    if (!factory)
        return;
    CHECK(factory->vtbl->CreateInstance(NULL, &made) == LV_E_POINTER);
    CHECK(made == NULL);
    CHECK(factory->vtbl->LockServer(NULL, 1) == LV_E_POINTER);
    CHECK(factory->vtbl->AddRef(NULL) == 0);
    CHECK(factory->vtbl->Release(NULL) == 0);
    CHECK(factory->vtbl->Release(factory) == 0);
    {
        const char* unknown[] = {"",
                                 "{",
                                 "{}",
                                 "Lorvantic.",
                                 "{7496BFE1-D493-11D3-A6DB-00805FA6ADDE",
                                 "7496BFE1-D493-11D3-A6DB-00805FA6ADDE}",
                                 "\xff\xfe",
                                 longName};
        for (size_t i = 0; i < sizeof unknown / sizeof unknown[0]; ++i) {
            LvClassFactory* none = (LvClassFactory*)1;
            CHECK(LV_FAILED(lib->getClassObject(unknown[i], &none)));
            CHECK(none == NULL);
            CHECK(lib->lastError()[0] != '\0');
        }
    }

    /* Members: unknown names, wrong argument counts, values out of range. */
    CHECK(vtbl->Invoke(object, "", LV_INVOKE_METHOD, NULL, 0, NULL) == LV_DISP_E_UNKNOWNNAME);
    CHECK(vtbl->Invoke(object, "\xff\xfe", LV_INVOKE_METHOD, NULL, 0, NULL) == LV_DISP_E_UNKNOWNNAME);
    CHECK(vtbl->Invoke(object, longName, LV_INVOKE_PROPERTYGET, NULL, 0, NULL) == LV_DISP_E_UNKNOWNNAME);
    CHECK(vtbl->Invoke(object, "ShowForm", LV_INVOKE_METHOD, &one, 1, NULL) == LV_DISP_E_BADPARAMCOUNT);
    CHECK(vtbl->Invoke(object, "InitMode", LV_INVOKE_PROPERTYGET, &one, 1, &result) ==
          LV_DISP_E_BADPARAMCOUNT);
    CHECK(result.type == LV_VT_EMPTY);
    CHECK(vtbl->Invoke(object, "InitMode", LV_INVOKE_PROPERTYPUT, NULL, 0, NULL) == LV_DISP_E_BADPARAMCOUNT);
    CHECK(vtbl->Invoke(object, "ServerName", LV_INVOKE_PROPERTYPUT, two, 2, NULL) == LV_DISP_E_BADPARAMCOUNT);
    CHECK(vtbl->Invoke(object, "GetCubeRoles", LV_INVOKE_METHOD, NULL, 0, NULL) == LV_DISP_E_BADPARAMCOUNT);
    CHECK(LV_FAILED(vtbl->Invoke(object, "GetCubeRoles", LV_INVOKE_METHOD, two, 2, NULL)));
    CHECK(LV_FAILED(vtbl->Invoke(object, "GetCubePartitions", LV_INVOKE_METHOD, two, 2, &result)));
    CHECK(result.type == LV_VT_EMPTY);
    CHECK(vtbl->Invoke(object, "InitMode", LV_INVOKE_PROPERTYPUT, &huge, 1, NULL) == LV_DISP_E_OVERFLOW);
    CHECK(vtbl->Invoke(object, "InitMode", LV_INVOKE_PROPERTYPUT, &fraction, 1, NULL) ==
          LV_DISP_E_TYPEMISMATCH);
    CHECK(vtbl->Invoke(object, "ServerName", LV_INVOKE_PROPERTYPUT, &one, 1, NULL) == LV_DISP_E_TYPEMISMATCH);
    CHECK(LV_FAILED(vtbl->Invoke(object, "ServerName", LV_INVOKE_METHOD, &name, 1, NULL)));
    CHECK(LV_FAILED(vtbl->Invoke(object, "InitMode", LV_INVOKE_METHOD, NULL, 0, NULL)));
    CHECK(lib->lastError()[0] != '\0');
}

static void driveSelector(const struct Library* lib, LvObject* object) {
    const LvObjectVtbl* vtbl = object->vtbl;
    LvVariant name = text("no-such-server");
    LvVariant mode = i4(5);
    LvVariant result = i4(0);

    CHECK(vtbl->Invoke(object, "ServerName", LV_INVOKE_PROPERTYPUT, &name, 1, NULL) == LV_S_OK);
    CHECK(vtbl->Invoke(object, "InitMode", LV_INVOKE_PROPERTYGET, NULL, 0, &result) == LV_S_OK);
    CHECK(result.type == LV_VT_I4 && result.value.i4 == 0);
    CHECK(vtbl->Invoke(object, "initmode", LV_INVOKE_PROPERTYPUT, &mode, 1, NULL) == LV_S_OK);
    CHECK(vtbl->Invoke(object, "InitMode", LV_INVOKE_PROPERTYGET, NULL, 0, &result) == LV_S_OK);
    CHECK(result.type == LV_VT_I4 && result.value.i4 == 5);
    CHECK(lib->lastError()[0] == '\0');
    lib->variantClear(&result);
    CHECK(result.type == LV_VT_EMPTY);
}

/* True when the folder is gone or holds none of the entries. */
static int entriesGone(const char* folder) {
    DIR* dir = opendir(folder);
    if (!dir)
        return 1;
    int gone = 1;
    for (struct dirent* entry = readdir(dir); entry; entry = readdir(dir)) {
        if (strncmp(entry->d_name, "Lorvantic.", 10) == 0)
            gone = 0;
    }
    closedir(dir);
    return gone;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s PATH-OF-LIBLORVANTIC\n", argv[0]);
        return 2;
    }
    char home[] = "/tmp/lorvantic-chost-XXXXXX";
    if (!mkdtemp(home)) {
        perror("mkdtemp");
        return 2;
    }
    setenv("XDG_DATA_HOME", home, 1);
    char folder[sizeof home + 16];
    char entryPath[sizeof home + 64];
    snprintf(folder, sizeof folder, "%s/Lorvantic", home);
    snprintf(entryPath, sizeof entryPath, "%s/Lorvantic.MetaSelCube.json", folder);

    struct Library lib;
    if (!load(argv[1], &lib))
        return 1;

    CHECK(lib.registerServer() == LV_S_OK);
    char* entry = readFile(entryPath);
    CHECK(entry != NULL);
    char* progId = entry ? jsonString(entry, "progId") : NULL;
    char* classId = entry ? jsonString(entry, "classId") : NULL;
    char* library = entry ? jsonString(entry, "library") : NULL;
    CHECK(progId && strcmp(progId, "Lorvantic.MetaSelCube") == 0);
    CHECK(classId && strcmp(classId, "{7496BFE1-D493-11D3-A6DB-00805FA6ADDE}") == 0);
    CHECK(library && library[0] == '/');
    if (!classId || !library)
        return 1;

    /* The entry leads to the library already loaded. */
    void* registered = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    CHECK(registered == lib.handle);
    if (registered)
        dlclose(registered);

    checkClassObjectErrors(&lib, classId);
    CHECK(lib.canUnloadNow() == LV_S_OK);

    LvClassFactory* factory = NULL;
    CHECK(lib.getClassObject(classId, &factory) == LV_S_OK);
    if (!factory)
        return 1;
    CHECK(lib.canUnloadNow() == LV_S_FALSE);
    LvObject* object = NULL;
    CHECK(factory->vtbl->CreateInstance(factory, &object) == LV_S_OK);
    CHECK(factory->vtbl->CreateInstance(factory, NULL) == LV_E_POINTER);
    CHECK(factory->vtbl->LockServer(factory, 1) == LV_S_OK);
    CHECK(factory->vtbl->Release(factory) == 0);
    if (!object)
        return 1;

    driveSelector(&lib, object);
    checkInvokeErrors(&lib, object);
    checkRejectedCalls(&lib, classId, object);

    CHECK(object->vtbl->AddRef(object) == 2);
    CHECK(object->vtbl->Release(object) == 1);
    CHECK(object->vtbl->Release(object) == 0);

    /* The lock outlives the class object that took it. */
    CHECK(lib.canUnloadNow() == LV_S_FALSE);
    CHECK(lib.getClassObject("lorvantic.metaselcube", &factory) == LV_S_OK);
    CHECK(factory->vtbl->LockServer(factory, 0) == LV_S_OK);
    CHECK(factory->vtbl->LockServer(factory, 0) == LV_E_UNEXPECTED);
    CHECK(factory->vtbl->Release(factory) == 0);
    CHECK(lib.canUnloadNow() == LV_S_OK);

    CHECK(lib.unregisterServer() == LV_S_OK);
    CHECK(entriesGone(folder));
    CHECK(access(entryPath, F_OK) != 0);

    free(entry);
    free(progId);
    free(classId);
    free(library);
    dlclose(lib.handle);
    rmdir(folder);
    CHECK(rmdir(home) == 0);

    if (failures)
        fprintf(stderr, "%d check(s) failed\n", failures);
    return failures ? 1 : 0;
}
