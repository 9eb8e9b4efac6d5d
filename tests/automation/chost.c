/*
 * A host in plain C: it knows the component only through lorvantic.h and the registration
 * entries. It loads the library, registers it, finds Lorvantic.MetaSelCube in the entries,
 * creates the object through the class object, drives it by name, releases it, unregisters
 * and checks that the entries are gone. Along the way it feeds the entry points bad input.
 * Built with LORVANTIC_CHOST_LINKED it is linked against the installed library instead (found
 * with find_package or pkg-config) and takes no argument.
 *
 * Usage: automation_chost PATH-OF-LIBLORVANTIC
 */

#define _POSIX_C_SOURCE 200809L

#ifdef LORVANTIC_CHOST_LINKED
#include <lorvantic/lorvantic.h>
#else
#include "lorvantic.h"
#endif

#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static int failures = 0;

/* Counts a failed check; case numbers tell the rows of a table apart. */
static void check(int ok, int line, const char* what, int row) {
    if (!ok) {
        fprintf(stderr, "chost.c:%d: check failed: %s (row %d)\n", line, what, row);
        ++failures;
    }
}
#define CHECK(condition) check((condition) != 0, __LINE__, #condition, -1)
#define CHECK_ROW(condition, row) check((condition) != 0, __LINE__, #condition, (int)(row))

struct Library {
    void* handle;
    LvDllRegisterServerFn registerServer;
    LvDllUnregisterServerFn unregisterServer;
    LvDllGetClassObjectFn getClassObject;
    LvDllCanUnloadNowFn canUnloadNow;
    LvVariantClearFn variantClear;
    LvLastErrorDescriptionFn lastError;
};

#ifdef LORVANTIC_CHOST_LINKED
/* The entry points are the linked library's; the registration names the file it was found in. */
static int load(const char* path, struct Library* lib) {
    (void)path;
    const struct Library linked = {
        NULL,           DllRegisterServer,     DllUnregisterServer, DllGetClassObject, DllCanUnloadNow,
        LvVariantClear, LvLastErrorDescription};
    *lib = linked;
    return 1;
}
#else
/* dlsym hands out object pointers; copying the bytes is the POSIX way to a function pointer. */
#define BIND(field, name)                                                                                    \
    ((symbol = dlsym(lib->handle, name)) && memcpy(&lib->field, &symbol, sizeof lib->field))

static int load(const char* path, struct Library* lib) {
    void* symbol = NULL;
    lib->handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    const int bound = lib->handle && BIND(registerServer, "DllRegisterServer") &&
                      BIND(unregisterServer, "DllUnregisterServer") &&
                      BIND(getClassObject, "DllGetClassObject") && BIND(canUnloadNow, "DllCanUnloadNow") &&
                      BIND(variantClear, "LvVariantClear") && BIND(lastError, "LvLastErrorDescription");
    if (!bound)
        fprintf(stderr, "cannot load %s: %s\n", path, dlerror());
    return bound;
}
#endif

/* True when the file holds the text (a registration entry is far below 64 KiB). */
static int fileHas(const char* path, const char* text) {
    static char content[65536];
    FILE* file = fopen(path, "rb");
    if (!file)
        return 0;
    content[fread(content, 1, sizeof content - 1, file)] = '\0';
    fclose(file);
    return strstr(content, text) != NULL;
}

/* A new object of the class, or NULL (the failed check is counted). */
static LvObject* create(const struct Library* lib, const char* classId) {
    LvClassFactory* factory = NULL;
    LvObject* object = NULL;
    CHECK(lib->getClassObject(classId, &factory) == LV_S_OK);
    if (!factory)
        return NULL;
    CHECK(factory->vtbl->CreateInstance(factory, &object) == LV_S_OK);
    CHECK(factory->vtbl->Release(factory) == 0);
    return object;
}

#define ANY_FAILURE ((LvResult)1) /* any failing result will do */

static int matches(LvResult got, LvResult expected) {
    return expected == ANY_FAILURE ? LV_FAILED(got) : got == expected;
}

/* Class objects for unknown, malformed or missing identifiers, and calls on no class object. */
static void checkClassObjectErrors(const struct Library* lib, const char* classId) {
    const struct {
        const char* id;
        LvResult expected;
    } cases[] = {{"Lorvantic.NoSuchClass", LV_CLASS_E_CLASSNOTAVAILABLE},
                 {NULL, LV_E_POINTER},
                 {"", ANY_FAILURE},
                 {"\xff\xfe", ANY_FAILURE}};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        LvClassFactory* none = (LvClassFactory*)1;
        CHECK_ROW(matches(lib->getClassObject(cases[i].id, &none), cases[i].expected), i);
        CHECK_ROW(none == NULL && lib->lastError()[0] != '\0', i);
    }
    CHECK(lib->getClassObject(classId, NULL) == LV_E_POINTER);

    LvClassFactory* factory = NULL;
    LvObject* made = (LvObject*)1;
    CHECK(lib->getClassObject(classId, &factory) == LV_S_OK);
    if (!factory)
        return;
    CHECK(factory->vtbl->CreateInstance(NULL, &made) == LV_E_POINTER && made == NULL);
    CHECK(factory->vtbl->CreateInstance(factory, NULL) == LV_E_POINTER);
    CHECK(factory->vtbl->LockServer(NULL, 1) == LV_E_POINTER);
    CHECK(factory->vtbl->AddRef(NULL) == 0 && factory->vtbl->Release(NULL) == 0);
    CHECK(factory->vtbl->Release(factory) == 0);
}

/* Bad calls on an object: every one is refused with its result and a description, none crashes.
 * (What the objects refuse whatever the caller, the dispatch tests cover.) */
static void checkInvokeErrors(const struct Library* lib, LvObject* object) {
    static const LvVariant one = {LV_VT_I4, {.i4 = 1}};
    static const LvVariant noText = {LV_VT_STRING, {.string = NULL}};
    static const LvVariant badType = {99, {0}};
    static const LvVariant huge = {LV_VT_R8, {.r8 = 1e300}};
    const int32_t GET = LV_INVOKE_PROPERTYGET, PUT = LV_INVOKE_PROPERTYPUT, CALL = LV_INVOKE_METHOD;
    const struct {
        LvObject* self;
        const char* member;
        int32_t kind;
        const LvVariant* args;
        int32_t argc;
        LvResult expected;
    } cases[] = {
        {object, "ServerName", GET, NULL, 0, LV_DISP_E_MEMBERNOTFOUND},
        {object, "\xff\xfe", CALL, NULL, 0, LV_DISP_E_UNKNOWNNAME},
        {object, "InitMode", GET, &one, 1, LV_DISP_E_BADPARAMCOUNT},
        {object, "InitMode", PUT, &huge, 1, LV_DISP_E_OVERFLOW},
        {object, "InitMode", PUT, &badType, 1, LV_DISP_E_BADVARTYPE},
        {object, "ServerName", PUT, &noText, 1, LV_E_POINTER},
        {object, "InitMode", PUT, NULL, 1, LV_E_POINTER},
        {object, NULL, CALL, NULL, 0, LV_E_POINTER},
        {NULL, "InitMode", GET, NULL, 0, LV_E_POINTER},
        {object, "InitMode", PUT, &one, -1, LV_E_INVALIDARG},
        {object, "InitMode", 3, NULL, 0, LV_E_INVALIDARG},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        LvVariant result = {LV_VT_I4, {.i4 = 7}}; /* must come back empty */
        CHECK_ROW(matches(object->vtbl->Invoke(cases[i].self, cases[i].member, cases[i].kind, cases[i].args,
                                               cases[i].argc, &result),
                          cases[i].expected),
                  i);
        CHECK_ROW(result.type == LV_VT_EMPTY && lib->lastError()[0] != '\0', i);
    }
    CHECK(object->vtbl->Invoke(object, "NoSuchMember", CALL, NULL, 0, NULL) == LV_DISP_E_UNKNOWNNAME);
    CHECK(strstr(lib->lastError(), "NoSuchMember") != NULL);
    CHECK(object->vtbl->AddRef(NULL) == 0 && object->vtbl->Release(NULL) == 0);
    lib->variantClear(NULL);
}

static void driveSelector(const struct Library* lib, LvObject* object) {
    const LvVariant name = {LV_VT_STRING, {.string = "no-such-server"}};
    const LvVariant mode = {LV_VT_I4, {.i4 = 5}};
    LvVariant result = {LV_VT_I4, {.i4 = 9}};
    CHECK(object->vtbl->Invoke(object, "ServerName", LV_INVOKE_PROPERTYPUT, &name, 1, NULL) == LV_S_OK);
    CHECK(object->vtbl->Invoke(object, "InitMode", LV_INVOKE_PROPERTYGET, NULL, 0, &result) == LV_S_OK);
    CHECK(result.type == LV_VT_I4 && result.value.i4 == 0);
    CHECK(object->vtbl->Invoke(object, "initmode", LV_INVOKE_PROPERTYPUT, &mode, 1, NULL) == LV_S_OK);
    CHECK(object->vtbl->Invoke(object, "InitMode", LV_INVOKE_PROPERTYGET, NULL, 0, &result) == LV_S_OK);
    CHECK(result.type == LV_VT_I4 && result.value.i4 == 5 && lib->lastError()[0] == '\0');
    lib->variantClear(&result);
    CHECK(result.type == LV_VT_EMPTY);
}

/* This host runs no Qt application. Without a display the call says why on standard error and
 * returns; with one, the library makes a widget application of its own (a role flow on an
 * unknown server then ends without a window). Neither is an error to the host. */
static void showForm(const struct Library* lib, LvObject* object) {
    const LvVariant name = {LV_VT_STRING, {.string = "no-such-server"}};
    CHECK(object->vtbl->Invoke(object, "ServerName", LV_INVOKE_PROPERTYPUT, &name, 1, NULL) == LV_S_OK);
    CHECK(object->vtbl->Invoke(object, "ShowForm", LV_INVOKE_METHOD, NULL, 0, NULL) == LV_S_OK);
    CHECK(lib->lastError()[0] == '\0');
}

static void showFormWithoutApplication(const struct Library* lib, LvObject* cube) {
    unsetenv("QT_QPA_PLATFORM");
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    showForm(lib, cube);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    LvObject* role = create(lib, "Lorvantic.MetaSelRole");
    if (!role)
        return;
    showForm(lib, role);
    CHECK(role->vtbl->Release(role) == 0);
}

int main(int argc, char** argv) {
    char home[] = "/tmp/lorvantic-chost-XXXXXX";
    struct Library lib;
#ifdef LORVANTIC_CHOST_LINKED
    const int arguments = 1;
    const char *libraryPath = "/liblorvantic.so.", *usage = "";
#else
    const int arguments = 2;
    const char *libraryPath = argc > 1 ? argv[1] : "", *usage = " PATH-OF-LIBLORVANTIC";
#endif
    if (argc != arguments || !mkdtemp(home) || !load(libraryPath, &lib)) {
        fprintf(stderr, "usage: %s%s (and a temporary folder)\n", argc > 0 ? argv[0] : "chost", usage);
        return 2;
    }
    setenv("XDG_DATA_HOME", home, 1);
    char folder[sizeof home + 16], entryPath[sizeof home + 64], library[8192];
    snprintf(folder, sizeof folder, "%s/Lorvantic", home);
    snprintf(entryPath, sizeof entryPath, "%s/Lorvantic.MetaSelCube.json", folder);

    /* The entry names the class and leads to the library loaded. */
    const char* classId = "{7496BFE1-D493-11D3-A6DB-00805FA6ADDE}";
#ifdef LORVANTIC_CHOST_LINKED
    snprintf(library, sizeof library, "%s", libraryPath);
#else
    snprintf(library, sizeof library, "\"library\": \"%s\"", libraryPath);
#endif
    CHECK(lib.registerServer() == LV_S_OK);
    CHECK(fileHas(entryPath, "\"progId\": \"Lorvantic.MetaSelCube\""));
    CHECK(fileHas(entryPath, "\"classId\": \"{7496BFE1-D493-11D3-A6DB-00805FA6ADDE}\""));
    CHECK(fileHas(entryPath, library));

    checkClassObjectErrors(&lib, classId);
    CHECK(lib.canUnloadNow() == LV_S_OK);

    LvClassFactory* factory = NULL;
    CHECK(lib.getClassObject(classId, &factory) == LV_S_OK);
    if (!factory)
        return 1;
    CHECK(lib.canUnloadNow() == LV_S_FALSE);
    CHECK(factory->vtbl->LockServer(factory, 1) == LV_S_OK);
    CHECK(factory->vtbl->Release(factory) == 0);
    LvObject* object = create(&lib, classId);
    if (!object)
        return 1;

    driveSelector(&lib, object);
    checkInvokeErrors(&lib, object);
    showFormWithoutApplication(&lib, object);

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
    CHECK(access(folder, F_OK) != 0); /* entries and their emptied folder gone */
    if (lib.handle)
        dlclose(lib.handle);
    CHECK(rmdir(home) == 0);
    if (failures)
        fprintf(stderr, "%d check(s) failed\n", failures);
    return failures ? 1 : 0;
}
