// Asks the registered "ADODB.Connection" class for its Version the way the program does
// (CLSIDFromProgID, CoCreateInstance for IDispatch, GetIDsOfNames, Invoke as a property get,
// VariantChangeType to a text) and prints the text. Exit status 0 with the version on standard
// output; 1 with the failed step and its HRESULT on standard error.
//
//   probe_adodb              print the version
//   probe_adodb --contract   also check the server's IDispatch answers and reference counting
//                            ("contract ok" on success)
#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

int Fail(const char* step, HRESULT result) {
    std::fprintf(stderr, "probe_adodb: %s failed: 0x%08lX\n", step,
                 static_cast<unsigned long>(result));
    return 1;
}

int Mismatch(const char* what) {
    std::fprintf(stderr, "probe_adodb: contract: %s\n", what);
    return 1;
}

std::string Utf8(const wchar_t* text, UINT length) {
    if (text == nullptr || length == 0)
        return {};
    const int needed = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                           nullptr, nullptr);
    std::string result(static_cast<size_t>(needed > 0 ? needed : 0), '\0');
    if (needed > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), result.data(), needed,
                            nullptr, nullptr);
    return result;
}

// The server DLL that the class is registered with, loaded in this process once an object
// exists; nullptr when it cannot be found.
HMODULE ServerModule(const CLSID& clsid) {
    wchar_t* clsidText = nullptr;
    if (FAILED(StringFromCLSID(clsid, &clsidText)))
        return nullptr;
    std::wstring key = L"CLSID\\";
    key += clsidText;
    key += L"\\InprocServer32";
    CoTaskMemFree(clsidText);
    wchar_t path[MAX_PATH * 4];
    DWORD bytes = sizeof path;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, path,
                     &bytes) != ERROR_SUCCESS)
        return nullptr;
    return GetModuleHandleW(path);
}

using CanUnload = HRESULT(STDAPICALLTYPE*)();

// What a client may rely on beyond the program's own call sequence. Sets `canUnloadNow` to the
// server's DllCanUnloadNow.
int CheckContract(const CLSID& clsid, IDispatch* connection, CanUnload& canUnloadNow) {
    DISPID dispid = 0;
    wchar_t lower[] = L"vErSiOn";
    LPOLESTR names[] = {lower};
    if (connection->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid) != S_OK ||
        dispid != 1)
        return Mismatch("\"vErSiOn\" is not DISPID 1");
    wchar_t unknown[] = L"Open";
    names[0] = unknown;
    if (connection->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid) !=
            DISP_E_UNKNOWNNAME ||
        dispid != DISPID_UNKNOWN)
        return Mismatch("an unknown name is not DISP_E_UNKNOWNNAME / DISPID_UNKNOWN");

    DISPPARAMS noArguments{};
    VARIANT result;
    VariantInit(&result);
    if (connection->Invoke(2, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &noArguments,
                           &result, nullptr, nullptr) != DISP_E_MEMBERNOTFOUND)
        return Mismatch("an unknown DISPID is not DISP_E_MEMBERNOTFOUND");
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = SysAllocString(L"9.9");
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS putArguments{&value, &put, 1, 1};
    const HRESULT putResult =
        connection->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &putArguments,
                           nullptr, nullptr, nullptr);
    VariantClear(&value);
    if (putResult != DISP_E_MEMBERNOTFOUND)
        return Mismatch("setting Version is not DISP_E_MEMBERNOTFOUND");
    if (connection->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                           &noArguments, &result, nullptr, nullptr) != S_OK ||
        V_VT(&result) != VT_BSTR)
        return Mismatch("a scripting-style get does not give a text");
    VariantClear(&result);

    IUnknown* unknownInterface = nullptr;
    if (connection->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknownInterface)) !=
        S_OK)
        return Mismatch("no IUnknown");
    IClassFactory* wrong = nullptr;
    if (connection->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(&wrong)) !=
            E_NOINTERFACE ||
        wrong != nullptr)
        return Mismatch("an unsupported interface is not E_NOINTERFACE with a null pointer");

    HMODULE server = ServerModule(clsid);
    if (server == nullptr)
        return Mismatch("the registered server DLL is not loaded in this process");
    canUnloadNow = reinterpret_cast<CanUnload>(
        reinterpret_cast<void*>(GetProcAddress(server, "DllCanUnloadNow")));
    if (canUnloadNow == nullptr)
        return Mismatch("DllCanUnloadNow is not exported");
    // Two references now (the connection and its IUnknown); the last Release frees it.
    if (unknownInterface->Release() != 1)
        return Mismatch("Release does not count down to the remaining reference");
    if (canUnloadNow() != S_FALSE)
        return Mismatch("DllCanUnloadNow allows unloading while an object lives");
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const bool contract = argc > 1 && std::wcscmp(argv[1], L"--contract") == 0;
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(init))
        return Fail("CoInitializeEx", init);
    int status = 0;
    {
        CLSID clsid{};
        HRESULT hr = CLSIDFromProgID(L"ADODB.Connection", &clsid);
        if (FAILED(hr)) {
            CoUninitialize();
            return Fail("CLSIDFromProgID", hr);
        }
        IDispatch* connection = nullptr;
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                              IID_IDispatch, reinterpret_cast<void**>(&connection));
        if (FAILED(hr) || connection == nullptr) {
            CoUninitialize();
            return Fail("CoCreateInstance", hr);
        }
        wchar_t propertyName[] = L"Version";
        LPOLESTR names[] = {propertyName};
        DISPID dispid = 0;
        DISPPARAMS noArguments{};
        VARIANT result;
        VariantInit(&result);
        if (FAILED(hr =
                       connection->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid)))
            status = Fail("GetIDsOfNames", hr);
        else if (FAILED(hr = connection->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT,
                                                DISPATCH_PROPERTYGET, &noArguments, &result,
                                                nullptr, nullptr)))
            status = Fail("Invoke", hr);
        else if (FAILED(hr = VariantChangeType(&result, &result, 0, VT_BSTR)))
            status = Fail("VariantChangeType", hr);
        CanUnload canUnloadNow = nullptr;
        if (status == 0 && contract)
            status = CheckContract(clsid, connection, canUnloadNow);
        const std::string text = Utf8(result.bstrVal, SysStringLen(result.bstrVal));
        VariantClear(&result);
        const ULONG left = connection->Release();
        if (status == 0 && contract) {
            if (left != 0)
                status = Mismatch("the last Release does not free the object");
            else if (canUnloadNow() != S_OK)
                status = Mismatch("DllCanUnloadNow refuses unloading once every object is gone");
        }
        if (status == 0)
            std::printf("%s\n", contract ? "contract ok" : text.c_str());
    }
    CoUninitialize();
    return status;
}
