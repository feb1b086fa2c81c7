// Windows probes: the module's own file name, and the two automation classes created by name
// ("ADODB.Connection" with its Version property, "Scripting.FileSystemObject").
#include "platform/SystemProbes.h"

#include "platform/CodePage.h"

#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

#include <string>
#include <vector>

namespace vellumo::probes {
namespace {

constexpr DWORD kLongestPath = 32768;

// COM for the current thread for the probe's duration; a thread that already has it keeps it.
class ComScope {
public:
    ComScope() : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope() {
        if (initialized_)
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool initialized_;
};

// Releases an interface on every way out.
template <typename T> class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (p_ != nullptr)
            p_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T** Out() { return &p_; }
    T* operator->() const { return p_; }
    [[nodiscard]] bool Empty() const { return p_ == nullptr; }

private:
    T* p_ = nullptr;
};

// Creates an object of the automation class `progId` and asks it for the interface `iid`.
template <typename T> bool CreateByName(const wchar_t* progId, REFIID iid, ComPtr<T>& object) {
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(progId, &clsid)))
        return false;
    return SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                      iid, reinterpret_cast<void**>(object.Out()))) &&
           !object.Empty();
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

} // namespace

std::string ExecutableFolder() {
    std::vector<char> path(MAX_PATH, '\0');
    DWORD length = 0;
    while ((length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
               path.size() &&
           path.size() < kLongestPath)
        path.resize(path.size() * 2);
    const std::string file(path.data(), length);
    const auto separator = file.find_last_of('\\');
    if (length == 0 || separator == std::string::npos)
        return {};
    return PathFromSystem(file.substr(0, separator));
}

std::string DataAccessVersionText() {
    ComScope com;
    ComPtr<IDispatch> connection;
    if (!CreateByName(L"ADODB.Connection", IID_IDispatch, connection))
        return {};
    wchar_t propertyName[] = L"Version";
    LPOLESTR names[] = {propertyName};
    DISPID dispid = 0;
    if (FAILED(connection->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid)))
        return {};
    DISPPARAMS noArguments{};
    VARIANT result;
    VariantInit(&result);
    std::string text;
    if (SUCCEEDED(connection->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                     &noArguments, &result, nullptr, nullptr)) &&
        SUCCEEDED(VariantChangeType(&result, &result, 0, VT_BSTR)))
        text = Utf8(result.bstrVal, SysStringLen(result.bstrVal));
    VariantClear(&result);
    return text;
}

bool ScriptingRuntimeAvailable() {
    ComScope com;
    ComPtr<IUnknown> fileSystem;
    return CreateByName(L"Scripting.FileSystemObject", IID_IUnknown, fileSystem);
}

} // namespace vellumo::probes
