// Shared fixture of the settings tests: the product's paths and start-up defaults in a private
// HOME with a UTF-8 code page, and the debug log and CR LF texts as lines.
#pragma once

#include "diagnostic/modMain.h"
#include "log/modDebug.h"
#include "log/modLog.h"
#include "settings/modOptions.h"
#include "support/TestEnvironment.h"

#include <clocale>

namespace vellumo::test {

// The lines of a CR LF text, without their line ends.
inline std::vector<std::string> CrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0, end = 0; start < text.size(); start = end + 2) {
        end = std::min(text.find("\r\n", start), text.size());
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

class SettingsTest : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        previousCtype_ = std::setlocale(LC_CTYPE, nullptr);
#if !defined(_WIN32) // Windows: the code page is the system's, whatever the C runtime's locale
        ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
#endif
        data_ = Home() / "Vellumo Data";
        for (const char* sub : {"Config", "Backup", "Log"})
            fs::create_directories(data_ / sub);
        ApplyStartupValues();
    }
    void TearDown() override {
        std::setlocale(LC_CTYPE, previousCtype_.c_str());
        IsolatedTest::TearDown();
    }

    // A new run in the same home: every module reset, then the start-up's paths and defaults.
    void StartNewRun() {
        ResetAllModules();
        ApplyStartupValues();
    }
    void ApplyStartupValues() {
        modMain::DataPath = modMain::DefaultDataPath = FolderOf(data_);
        modMain::AutoBackupPath = modMain::DefaultAutoBackupPath = FolderOf(data_ / "Backup");
        modMain::DefaultOneClickBackupPath = modMain::AutoBackupPath;
        modMain::ConfigPath = FolderOf(data_ / "Config");
        modMain::LogPath = FolderOf(data_ / "Log");
        modMain::gstrDefaultFontName = "Calibri";
        modMain::gcurDefaultFontSize = Currency::FromWhole(11);
        modMain::gstrDefaultFixedFontName = "Courier New";
        modMain::gintDefaultFixedFontSize = 10;
        modMain::glngDefaultBackColorEdit = modMain::glngDefaultBackColorTree = 16777215;
        modOptions::gblnMRUUseRegistry = true;
    }

    static std::string FolderOf(const fs::path& p) {
        return p.string() + "/";
    }
    [[nodiscard]] fs::path ConfigFile(const std::string& name) const {
        return data_ / "Config" / name;
    }
    static void EnableDebugLog() {
        modDebug::gblnDebugMode = true;
    }
    // The debug log holds the message as a whole line.
    [[nodiscard]] static bool Logged(const std::string& message) {
        return !modLog::gstrLogFile.empty() &&
               ReadFile(modLog::gstrLogFile).find("  " + message + "\r\n") != std::string::npos;
    }

    fs::path data_;

private:
    std::string previousCtype_;
};

} // namespace vellumo::test
