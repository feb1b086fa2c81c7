// A stand-in for the data-access components in the Windows test prefix: an in-process automation
// server registered as "ADODB.Connection" whose objects have one property, Version, giving the
// text this DLL was built with (FAKE_ADODB_VERSION). Tests register one build or another to make
// the program find components that are recent enough or too old.
#include <windows.h>

#include <objbase.h>
#include <oleauto.h>
#include <olectl.h>

#include <initializer_list>
#include <new>

#ifndef FAKE_ADODB_VERSION
#error "FAKE_ADODB_VERSION must give the version text, e.g. \"2.8\""
#endif

namespace {

#define FAKE_ADODB_WIDE_(text) L##text
#define FAKE_ADODB_WIDE(text) FAKE_ADODB_WIDE_(text)
constexpr const wchar_t* kVersionText = FAKE_ADODB_WIDE(FAKE_ADODB_VERSION);

// This server's own class id; both builds share it, so registering one replaces the other.
// {709DE47B-49D2-4443-B04D-E9A7D7E35BFA}
constexpr CLSID kClsid = {
    0x709de47b, 0x49d2, 0x4443, {0xb0, 0x4d, 0xe9, 0xa7, 0xd7, 0xe3, 0x5b, 0xfa}};
constexpr const wchar_t* kClsidText = L"{709DE47B-49D2-4443-B04D-E9A7D7E35BFA}";
constexpr const wchar_t* kProgId = L"ADODB.Connection";
constexpr const wchar_t* kDescription = L"Vellumo test data-access connection";
constexpr DISPID kVersionDispid = 1;
constexpr const wchar_t* kVersionName = L"Version";

HMODULE g_module = nullptr;
// Objects and class factories alive, and LockServer locks: the DLL may unload when both are 0.
LONG g_liveObjects = 0;
LONG g_serverLocks = 0;

// What both objects share: IUnknown for one interface, a reference count, and the count of live
// objects that decides when the DLL may unload. COM objects delete themselves at their last
// Release, so they are made with new and never owned elsewhere.
template <typename Interface, const IID& kInterfaceId> class ComObject : public Interface {
public:
    ComObject() { InterlockedIncrement(&g_liveObjects); }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kInterfaceId)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&references_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

protected:
    virtual ~ComObject() { InterlockedDecrement(&g_liveObjects); }

private:
    LONG references_ = 1;
};

class Connection final : public ComObject<IDispatch, IID_IDispatch> {
public:
    // No type information: callers look the property up by name.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info == nullptr)
            return E_POINTER;
        *info = nullptr;
        return DISP_E_BADINDEX;
    }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                            DISPID* dispids) override {
        if (!IsEqualIID(riid, IID_NULL))
            return DISP_E_UNKNOWNINTERFACE;
        if (count == 0)
            return S_OK;
        if (names == nullptr || dispids == nullptr)
            return E_POINTER;
        // The first name is the member; any further names would be its arguments, and the
        // property has none.
        HRESULT result = S_OK;
        for (UINT i = 0; i < count; ++i)
            dispids[i] = DISPID_UNKNOWN;
        if (names[0] != nullptr && lstrcmpiW(names[0], kVersionName) == 0)
            dispids[0] = kVersionDispid;
        else
            result = DISP_E_UNKNOWNNAME;
        if (count > 1)
            result = DISP_E_UNKNOWNNAME;
        return result;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID riid, LCID, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                     UINT*) override {
        if (!IsEqualIID(riid, IID_NULL))
            return DISP_E_UNKNOWNINTERFACE;
        // Version is a read-only property: only a get reaches it (scripting callers send
        // DISPATCH_METHOD | DISPATCH_PROPERTYGET).
        if (dispid != kVersionDispid || (flags & DISPATCH_PROPERTYGET) == 0)
            return DISP_E_MEMBERNOTFOUND;
        if (params != nullptr && (params->cArgs != 0 || params->cNamedArgs != 0))
            return DISP_E_BADPARAMCOUNT;
        if (result == nullptr)
            return S_OK; // the caller does not want the value
        VariantInit(result);
        BSTR text = SysAllocString(kVersionText);
        if (text == nullptr)
            return E_OUTOFMEMORY;
        V_VT(result) = VT_BSTR;
        V_BSTR(result) = text;
        return S_OK;
    }
};

class ConnectionFactory final : public ComObject<IClassFactory, IID_IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        Connection* connection = new (std::nothrow) Connection();
        if (connection == nullptr)
            return E_OUTOFMEMORY;
        // The new object's own reference goes once the caller holds the one it asked for.
        const HRESULT result = connection->QueryInterface(riid, object);
        connection->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock)
            InterlockedIncrement(&g_serverLocks);
        else
            InterlockedDecrement(&g_serverLocks);
        return S_OK;
    }
};

// Sets the text value `name` ("" for the default value) of HKEY_CLASSES_ROOT\path, creating the
// key.
bool SetText(const wchar_t* path, const wchar_t* name, const wchar_t* text) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const DWORD bytes = static_cast<DWORD>((lstrlenW(text) + 1) * sizeof(wchar_t));
    const LONG status =
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

// The default value of HKEY_CLASSES_ROOT\path, or false when it cannot be read or is too long.
bool GetText(const wchar_t* path, wchar_t* text, DWORD capacity) {
    DWORD bytes = capacity * sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, path, nullptr, RRF_RT_REG_SZ, nullptr, text, &bytes) !=
        ERROR_SUCCESS)
        return false;
    return true;
}

// The DLL's full path; false when it does not fit.
bool ModulePath(wchar_t* path, DWORD capacity) {
    const DWORD length = GetModuleFileNameW(g_module, path, capacity);
    return length > 0 && length < capacity;
}

void Concat(wchar_t* target, size_t capacity, const wchar_t* a, const wchar_t* b,
            const wchar_t* c = L"") {
    target[0] = L'\0';
    for (const wchar_t* part : {a, b, c}) {
        size_t used = static_cast<size_t>(lstrlenW(target));
        for (; *part != L'\0' && used + 1 < capacity; ++part)
            target[used++] = *part;
        target[used] = L'\0';
    }
}

constexpr size_t kPathCapacity = 32768;
constexpr size_t kKeyCapacity = 128;

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(rclsid, kClsid))
        return CLASS_E_CLASSNOTAVAILABLE;
    ConnectionFactory* factory = new (std::nothrow) ConnectionFactory();
    if (factory == nullptr)
        return E_OUTOFMEMORY;
    const HRESULT result = factory->QueryInterface(riid, object);
    factory->Release();
    return result;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return g_liveObjects == 0 && g_serverLocks == 0 ? S_OK : S_FALSE;
}

// HKEY_CLASSES_ROOT\ADODB.Connection\CLSID = the class id;
// HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32 = this DLL (apartment threaded), \ProgID.
extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    static wchar_t path[kPathCapacity];
    if (!ModulePath(path, kPathCapacity))
        return SELFREG_E_CLASS;
    wchar_t clsidKey[kKeyCapacity], serverKey[kKeyCapacity], progIdKey[kKeyCapacity],
        progIdClsidKey[kKeyCapacity];
    Concat(clsidKey, kKeyCapacity, L"CLSID\\", kClsidText);
    Concat(serverKey, kKeyCapacity, clsidKey, L"\\InprocServer32");
    Concat(progIdKey, kKeyCapacity, clsidKey, L"\\ProgID");
    Concat(progIdClsidKey, kKeyCapacity, kProgId, L"\\CLSID");
    const bool done =
        SetText(clsidKey, nullptr, kDescription) && SetText(serverKey, nullptr, path) &&
        SetText(serverKey, L"ThreadingModel", L"Apartment") &&
        SetText(progIdKey, nullptr, kProgId) && SetText(kProgId, nullptr, kDescription) &&
        SetText(progIdClsidKey, nullptr, kClsidText);
    return done ? S_OK : SELFREG_E_CLASS;
}

// Removes the registration only when it names this DLL: unregistering one build leaves the
// other's registration in place.
extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    static wchar_t path[kPathCapacity];
    static wchar_t registered[kPathCapacity];
    if (!ModulePath(path, kPathCapacity))
        return SELFREG_E_CLASS;
    wchar_t clsidKey[kKeyCapacity], serverKey[kKeyCapacity], progIdClsidKey[kKeyCapacity];
    Concat(clsidKey, kKeyCapacity, L"CLSID\\", kClsidText);
    Concat(serverKey, kKeyCapacity, clsidKey, L"\\InprocServer32");
    Concat(progIdClsidKey, kKeyCapacity, kProgId, L"\\CLSID");
    if (!GetText(serverKey, registered, kPathCapacity) || lstrcmpiW(registered, path) != 0)
        return S_OK; // not registered, or registered by another build
    wchar_t progIdClsid[kKeyCapacity];
    if (GetText(progIdClsidKey, progIdClsid, kKeyCapacity) &&
        lstrcmpiW(progIdClsid, kClsidText) == 0) {
        const LONG status = RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            return SELFREG_E_CLASS;
    }
    const LONG status = RegDeleteTreeW(HKEY_CLASSES_ROOT, clsidKey);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}
