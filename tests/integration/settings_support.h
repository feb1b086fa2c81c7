// Shared fixture of the settings end-to-end tests: the real program run headless in a private
// HOME (as root or as an unprivileged user), its report's sections, and the registry read back
// through vellumo-reg.
#pragma once

#include "support/TestEnvironment.h"

#include <algorithm>
#include <cstdlib>
#include <regex>

namespace vellumo::test {

inline const std::string kRegRoot = "HKCU\\Software\\Kestrova\\Vellumo";
using Strings = std::vector<std::string>;

class SettingsRunTest : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
            if (const char* v = std::getenv(name))
                savedDisplay_[name] = v;
            unsetenv(name);
        }
        fs::create_directories(Home() / "app");
        fs::copy_file(BuiltProgram("VellumoDiagnostic"), Home() / "app" / "VellumoDiagnostic");
        data_ = DataHome() / "Vellumo Data";
        config_ = data_ / "Config";
        for (const char* sub : {"Backup", "Config", "Export", "Log"})
            fs::create_directories(data_ / sub);
    }
    void TearDown() override {
        for (const auto& [name, value] : savedDisplay_)
            setenv(name.c_str(), value.c_str(), 1);
        IsolatedTest::TearDown();
    }

    static std::string Folder(const fs::path& p) { return p.string() + "/"; }
    [[nodiscard]] std::string Program() const {
        return (Home() / "app" / "VellumoDiagnostic").string();
    }
    ProcessResult Run() { return RunProcess({Program()}, {{"LC_ALL", "C.UTF-8"}}); }

    // Opens every folder of the tree to the unprivileged user, then makes `readOnly` read-only.
    void OpenTreeToNobody(const std::vector<fs::path>& readOnly = {}) {
        fs::permissions(Home(), fs::perms::all);
        for (const auto& entry : fs::recursive_directory_iterator(Home()))
            if (entry.is_directory())
                fs::permissions(entry.path(), fs::perms::all);
        for (const fs::path& p : readOnly)
            fs::permissions(p, fs::perms::all & ~(fs::perms::owner_write | fs::perms::group_write |
                                                  fs::perms::others_write));
    }
    ProcessResult RunAsNobody(const std::vector<fs::path>& readOnly = {}) {
        OpenTreeToNobody(readOnly);
        return RunProcessAsNobody({Program()}, {{"LC_ALL", "C.UTF-8"}});
    }

    // The settings lines (after the master-file lines, before the icon lines) and the window's
    // lines (after the scripting-runtime line) of a report.
    static Strings SettingsLines(const std::string& report) {
        const Strings lines = Lines(report);
        auto first = std::find_if(lines.rbegin(), lines.rend(), [](const std::string& l) {
                         return l.starts_with("Master file");
                     }).base();
        auto last = std::find_if(first, lines.end(), [](const std::string& l) {
            return l.find("/Icons/") != std::string::npos;
        });
        return {first, last};
    }
    static Strings WindowLines(const std::string& report) {
        const Strings lines = Lines(report);
        auto it = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
            return l.starts_with("ScriptingRuntimePresent: ");
        });
        return it == lines.end() ? Strings{} : Strings(it + 1, lines.end());
    }

    // The data of a value as "vellumo-reg query <key> /v <name>" shows it ("0x1", a text);
    // "<missing>" when the query fails.
    static std::string Query(const std::string& subKey, const std::string& name) {
        const ProcessResult r =
            RunProcess({BuiltProgram("vellumo-reg"), "query", kRegRoot + subKey, "/v", name});
        std::smatch m;
        const std::regex line("\n    " + name + "    REG_[A-Z_]+    ([^\r\n]*)");
        return r.exitCode == 0 && std::regex_search(r.out, m, line) ? m[1].str() : "<missing>";
    }
    static bool KeyExists(const std::string& subKey) {
        return RunProcess({BuiltProgram("vellumo-reg"), "query", kRegRoot + subKey}).exitCode == 0;
    }

    // The write test's files in a folder.
    static size_t TestFiles(const fs::path& folder) {
        return static_cast<size_t>(
            std::count_if(fs::directory_iterator(folder), fs::directory_iterator(), [](auto& e) {
                return std::regex_match(e.path().filename().string(),
                                        std::regex(R"(Test_\d{12}\.txt)"));
            }));
    }

    fs::path data_;   // the data folder the program derives, created with its subfolders
    fs::path config_; // its Config folder

private:
    static Strings Lines(const std::string& text) {
        Strings lines;
        for (size_t start = 0, end = 0; start < text.size(); start = end + 2) {
            end = std::min(text.find("\r\n", start), text.size());
            lines.push_back(text.substr(start, end - start));
        }
        return lines;
    }
    std::map<std::string, std::string> savedDisplay_;
};

} // namespace vellumo::test
