// The window-load checks in process: the file to open and the recent files 2 to 4, a missing
// data folder, and the test file of the same second. The end-to-end runs in tests/integration
// cover the read-only data folder as an unprivileged user.
#include "diagnostic/frmMain.h"
#include "platform/modRegistry.h"
#include "settings/SettingsTestSupport.h"

#include <regex>

namespace vellumo {
namespace {

using Strings = std::vector<std::string>;
const std::string kFiles = "Software\\Kestrova\\Vellumo\\Files";

class WindowLoadTest : public test::SettingsTest {
protected:
    // The report lines that the window's load adds.
    static Strings LoadLines() {
        modMain::gstrDiagnosticReport.clear();
        frmMain form;
        form.Form_Load();
        EXPECT_EQ(form.ReportText(), modMain::gstrDiagnosticReport);
        return test::CrLfLines(modMain::gstrDiagnosticReport);
    }
    [[nodiscard]] std::string CanCreate() const {
        return "Can create file in DataPath: " + modMain::DataPath;
    }
};

TEST_F(WindowLoadTest, FileToOpenAndRecentFilesThatExist) {
    EXPECT_EQ(LoadLines(), (Strings{"", CanCreate()})) << "no list: an empty line";

    Strings paths;
    EXPECT_EQ(modRegistry::SaveRegLong(HKEY_CURRENT_USER, kFiles, "MaxCount", 6), "Success");
    EXPECT_EQ(modRegistry::SaveRegLong(HKEY_CURRENT_USER, kFiles, "Count", 6), "Success");
    for (int i = 1; i <= 6; ++i) {
        paths.push_back((Home() / ("recent" + std::to_string(i))).string());
        EXPECT_EQ(modRegistry::SaveRegString(HKEY_CURRENT_USER, kFiles, "File" + std::to_string(i),
                                             paths.back()),
                  "Success");
    }
    EXPECT_EQ(LoadLines(), (Strings{"", CanCreate()})) << "entry 1 deleted: as if there were none";

    for (int i : {0, 2, 3, 4, 5})
        test::WriteFile(paths[static_cast<size_t>(i)], "x");
    EXPECT_EQ(LoadLines(),
              (Strings{"FileToOpen (exists): " + paths[0], "MRU 2 (exists): " + paths[2],
                       "MRU 3 (exists): " + paths[3], "MRU 4 (exists): " + paths[4], CanCreate()}));
    EXPECT_EQ(modOptions::FileToOpen, paths[0]);
}

TEST_F(WindowLoadTest, MissingDataFolder) {
    modMain::DataPath = FolderOf(Home() / "gone");
    EXPECT_EQ(LoadLines(), (Strings{"", "Folder doesn't exist: " + modMain::DataPath,
                                    "Cannot create file in DataPath: " + modMain::DataPath}));
}

TEST_F(WindowLoadTest, TestFileOfTheSameSecondIsEmptiedAndRewritten) {
    // Files for this second and the next few exist already: the test rewrites one of them.
    const std::time_t now = std::time(nullptr);
    for (std::time_t t = now; t < now + 5; ++t) {
        std::tm tm{};
        localtime_r(&t, &tm);
        char name[32];
        std::strftime(name, sizeof name, "Test_%y%m%d%H%M%S.txt", &tm);
        test::WriteFile(data_ / name, "older and longer content\r\n");
    }
    frmMain form;
    bool created = false;
    form.CanCreateFileInFolder(modMain::DataPath, created);
    EXPECT_TRUE(created);
    int files = 0, rewritten = 0;
    for (const auto& entry : test::fs::directory_iterator(data_)) {
        if (std::regex_match(entry.path().filename().string(), std::regex(R"(Test_\d{12}\.txt)"))) {
            ++files;
            rewritten += test::ReadFile(entry.path()) == "Test\r\n" ? 1 : 0;
        }
    }
    EXPECT_EQ(files, 5) << "no new name";
    EXPECT_EQ(rewritten, 1);
}

} // namespace
} // namespace vellumo
