// The portable part of the test support: module resets, the isolated test's set-up and
// tear-down around the platform's own, whole-file helpers. The platform parts (temporary folders,
// child processes, the Windows registry sandbox) are in posix/ and win32/.
#include "support/TestEnvironment.h"

#include "diagnostic/ReportView.h"

#include "diagnostic/modMain.h"
#include "log/modDebug.h"
#include "log/modLog.h"
#include "platform/CShellExecute.h"
#include "settings/modOptions.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace vellumo::test {
namespace {

const char* kIsolatedVars[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DOCUMENTS_DIR"};

} // namespace

void ResetAllModules() {
    modMain::ResetState();
    modLog::ResetState();
    modDebug::ResetState();
    modOptions::ResetState();
    modMain::ResetSeams();
    CShellExecute::ResetState();
    SetReportView({});
    ResetPlatformModules();
}

void IsolatedTest::SetUp() {
    home_ = std::make_unique<TempDir>();
    for (const char* name : kIsolatedVars) {
        if (const char* v = std::getenv(name))
            savedEnv_[name] = v;
    }
    fs::create_directories(ConfigHome());
    fs::create_directories(DataHome());
    fs::create_directories(Documents());
    SetEnv("HOME", Home().string());
    SetEnv("XDG_CONFIG_HOME", ConfigHome().string());
    SetEnv("XDG_DATA_HOME", DataHome().string());
    SetEnv("XDG_DOCUMENTS_DIR", Documents().string());
    PlatformSetUp(Documents(), DataHome());
    scopedUi_ = std::make_unique<ui::ScopedUi>(ui_);
    scopedWindows_ = std::make_unique<ScopedWindowHost>(windows_);
    previousObserver_ =
        SetReportErrorObserver([this](const ReportedError& e) { reportedErrors_.push_back(e); });
    ResetAllModules();
}

void IsolatedTest::TearDown() {
    ResetAllModules();
    SetReportErrorObserver(previousObserver_);
    scopedWindows_.reset();
    scopedUi_.reset();
    PlatformTearDown();
    for (const char* name : kIsolatedVars) {
        if (auto it = savedEnv_.find(name); it != savedEnv_.end())
            SetEnv(name, it->second);
        else
            UnsetEnv(name);
    }
    home_.reset();
}

ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& env,
                         const std::string& stdinText) {
    return RunProcessWith(argv, ProcessOptions{env, {}, stdinText, {}, false});
}

ProcessResult RunProcessAsNobody(const std::vector<std::string>& argv,
                                 const std::map<std::string, std::string>& env) {
    return RunProcessWith(argv, ProcessOptions{env, {}, {}, {}, true});
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const fs::path& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

std::vector<std::string> SortedNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace vellumo::test
