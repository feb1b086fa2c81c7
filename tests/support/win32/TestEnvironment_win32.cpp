// Temporary homes, an isolated registry and child processes for the tests on Windows. Each test
// gets a fresh HKEY_CURRENT_USER (a temporary key put in its place with RegOverridePredefKey)
// whose user shell folders point the documents folder at Documents(), and the all-users
// documents folder is pointed at DataHome() for the test's duration, so the Linux layout of the
// test folders serves both builds.
//
// Wine creates "ADODB.Connection" but cannot read its Version through IDispatch, so the real
// data-access probe gives nothing there and every run would end at the data-access check. The
// tests therefore start with a probe that gives the real version when there is one and, where
// there is none, the 2.8 of the components a supported Windows ships; tests of the check itself
// set their own probe.
#include "support/TestEnvironment.h"

#include "diagnostic/modMain.h"
#include "platform/SystemProbes.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

namespace vellumo::test {
namespace {

constexpr const char* kTestRoots = "Software\\VellumoTestRoots";
constexpr const char* kUserShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr const char* kPersonal = "Personal";
constexpr const char* kCommonDocuments = "Common Documents";
// The data-access version Windows ships since XP SP2.
constexpr const char* kStandInDataAccessVersion = "2.8";

std::string UniqueName() {
    static std::atomic<unsigned> counter{0};
    return std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64()) + "-" +
           std::to_string(++counter);
}

struct SavedValue {
    DWORD type = 0;
    std::vector<BYTE> data;
};

std::optional<SavedValue> ReadValue(HKEY root, const char* path, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    SavedValue value;
    DWORD size = 0;
    LSTATUS status = RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.data.resize(size);
        status = RegQueryValueExA(key, name, nullptr, &value.type, value.data.data(), &size);
        value.data.resize(size);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

void WriteValue(HKEY root, const char* path, const char* name, DWORD type, const BYTE* data,
                DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        throw std::runtime_error(std::string("cannot create ") + path);
    RegSetValueExA(key, name, 0, type, data, size);
    RegCloseKey(key);
}

void WriteText(HKEY root, const char* path, const char* name, const std::string& text) {
    WriteValue(root, path, name, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
               static_cast<DWORD>(text.size() + 1));
}

// The registry of one test: a temporary key standing in for HKEY_CURRENT_USER, and the
// all-users documents folder, restored afterwards.
class RegistrySandbox {
public:
    RegistrySandbox(const fs::path& documents, const fs::path& commonDocuments)
        : path_(std::string(kTestRoots) + "\\" + UniqueName()) {
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key_, nullptr) != ERROR_SUCCESS)
            throw std::runtime_error("cannot create the test registry");
        if (RegOverridePredefKey(HKEY_CURRENT_USER, key_) != ERROR_SUCCESS)
            throw std::runtime_error("cannot override HKEY_CURRENT_USER");
        WriteText(HKEY_CURRENT_USER, kUserShellFolders, kPersonal, documents.string());
        savedCommon_ = ReadValue(HKEY_LOCAL_MACHINE, kUserShellFolders, kCommonDocuments);
        WriteText(HKEY_LOCAL_MACHINE, kUserShellFolders, kCommonDocuments,
                  commonDocuments.string());
    }
    ~RegistrySandbox() {
        if (savedCommon_) {
            WriteValue(HKEY_LOCAL_MACHINE, kUserShellFolders, kCommonDocuments, savedCommon_->type,
                       savedCommon_->data.data(), static_cast<DWORD>(savedCommon_->data.size()));
        } else {
            HKEY folders = nullptr;
            if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUserShellFolders, 0, KEY_SET_VALUE, &folders) ==
                ERROR_SUCCESS) {
                RegDeleteValueA(folders, kCommonDocuments);
                RegCloseKey(folders);
            }
        }
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegCloseKey(key_);
        RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    }
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

private:
    std::string path_;
    HKEY key_ = nullptr;
    std::optional<SavedValue> savedCommon_;
};

std::string DataAccessVersionOrStandIn() {
    static const std::string real = probes::DataAccessVersionText();
    return real.empty() ? kStandInDataAccessVersion : real;
}

std::unique_ptr<RegistrySandbox>& Sandbox() {
    static std::unique_ptr<RegistrySandbox> sandbox;
    return sandbox;
}

// One argument quoted for the command line as the C runtime splits it.
std::string Quote(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
        return argument;
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            quoted.append(backslashes * 2 + 1, '\\');
        else
            quoted.append(backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

std::string ReadAll(HANDLE pipe) {
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    return text;
}

fs::path ProgramFolder() {
    std::vector<char> path(32768, '\0');
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    return fs::path(std::string(path.data(), length)).parent_path();
}

} // namespace

void ResetPlatformModules() {
    modMain::SetDataAccessVersionProbeForTesting(DataAccessVersionOrStandIn);
}

void PlatformSetUp(const fs::path& documents, const fs::path& dataHome) {
    Sandbox() = std::make_unique<RegistrySandbox>(documents, dataHome);
}

void PlatformTearDown() {
    Sandbox().reset();
}

void SetEnv(const char* name, const std::string& value) {
    _putenv_s(name, value.c_str());
}

void UnsetEnv(const char* name) {
    _putenv_s(name, "");
}

TempDir::TempDir() {
    const fs::path base = fs::temp_directory_path();
    for (;;) {
        path_ = base / ("vellumo-test-" + UniqueName());
        if (fs::create_directory(path_))
            break;
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests may leave read-only files behind; make them writable before removing.
    for (auto it = fs::recursive_directory_iterator(path_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

bool RunningAsRoot() {
    return false;
}

// Windows runs every program as the current user: asNobody has no counterpart here.
ProcessResult RunProcessWith(const std::vector<std::string>& argv, const ProcessOptions& options) {
    const std::map<std::string, std::string>& env = options.env;
    const std::string& stdinText = options.stdinText;
    std::string commandLine;
    for (const auto& argument : argv)
        commandLine += (commandLine.empty() ? "" : " ") + Quote(argument);

    // The environment block: this process's variables with `env` laid over them, sorted.
    std::map<std::string, std::string, bool (*)(const std::string&, const std::string&)> merged(
        [](const std::string& a, const std::string& b) {
            return _stricmp(a.c_str(), b.c_str()) < 0;
        });
    if (char* block = GetEnvironmentStringsA()) {
        for (const char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) {
            const std::string text(entry);
            const auto eq = text.find('=', 1);
            if (eq != std::string::npos)
                merged[text.substr(0, eq)] = text.substr(eq + 1);
        }
        FreeEnvironmentStringsA(block);
    }
    for (const auto& [k, v] : env)
        merged[k] = v;
    for (const auto& name : options.unset)
        merged.erase(name);
    std::string environment;
    for (const auto& [k, v] : merged)
        environment += k + "=" + v + '\0';
    environment += '\0';

    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    HANDLE inRead = nullptr, inWrite = nullptr;
    if (!CreatePipe(&outRead, &outWrite, &inherit, 0) ||
        !CreatePipe(&errRead, &errWrite, &inherit, 0) ||
        !CreatePipe(&inRead, &inWrite, &inherit, 0))
        throw std::runtime_error("CreatePipe failed");
    for (HANDLE ours : {outRead, errRead, inWrite})
        SetHandleInformation(ours, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inRead;
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    PROCESS_INFORMATION process{};
    const std::string folder = options.workingFolder.string();
    const BOOL started = CreateProcessA(
        nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, environment.data(),
        folder.empty() ? nullptr : folder.c_str(), &startup, &process);
    for (HANDLE theirs : {outWrite, errWrite, inRead})
        CloseHandle(theirs);
    ProcessResult result;
    if (!started) {
        for (HANDLE ours : {outRead, errRead, inWrite})
            CloseHandle(ours);
        result.exitCode = 127;
        result.err = "cannot start: " + commandLine;
        return result;
    }
    std::thread errReader([&] { result.err = ReadAll(errRead); });
    if (!stdinText.empty()) {
        DWORD written = 0;
        ::WriteFile(inWrite, stdinText.data(), static_cast<DWORD>(stdinText.size()), &written,
                    nullptr);
    }
    CloseHandle(inWrite);
    result.out = ReadAll(outRead);
    errReader.join();
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    result.exitCode = static_cast<int>(exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(outRead);
    CloseHandle(errRead);
    return result;
}

// The build's programs, found from this test program's folder (the build's tests/ folder).
std::string BuiltProgram(const std::string& name) {
    const fs::path binary = ProgramFolder().parent_path();
    for (const char* sub : {"src", "tools", "tools/reg", "tools/pack", "."}) {
        for (const std::string& file : {name, name + ".exe"}) {
            const fs::path candidate = binary / sub / file;
            if (fs::exists(candidate))
                return candidate.lexically_normal().string();
        }
    }
    return (binary / "src" / (name + ".exe")).string();
}

} // namespace vellumo::test
