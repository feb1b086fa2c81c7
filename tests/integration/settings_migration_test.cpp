// The settings start-up of the real program: the first run without option files, the first run
// that migrates options.ini, auxiliary.ini and mru.ini, and the second run that reads the
// registry; each checked in the report, the files and the registry.
#include "integration/settings_support.h"

namespace vellumo {
namespace {

using test::Strings;

class SettingsMigrationRun : public test::SettingsRunTest {};

TEST_F(SettingsMigrationRun, FirstRunWithoutOptionFiles) {
    const test::ProcessResult r = Run();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(SettingsLines(r.out),
              (Strings{"Initializing settings in registry",
                       "File doesn't exist: " + Folder(config_) + "options.ini"}));
    EXPECT_EQ(WindowLines(r.out), (Strings{"", "Can create file in DataPath: " + Folder(data_)}));
    EXPECT_EQ(Query("\\Options", "SavedInReg"), "0x1");
    EXPECT_EQ(Query("\\Options", "DataPath"), "<missing>") << "no setting without option files";
    EXPECT_FALSE(KeyExists("\\Files"));
    EXPECT_FALSE(test::fs::exists(config_ / "options.ini"));
    EXPECT_EQ(TestFiles(data_), 1u);
}

TEST_F(SettingsMigrationRun, FirstRunMigratesTheFilesThenTheSecondRunReadsTheRegistry) {
    Strings recent;
    for (const char* name : {"one", "two", "three", "four", "five"}) {
        recent.push_back((Home() / name).string());
        test::WriteFile(recent.back(), "x");
    }
    test::fs::remove(recent[1]);
    const test::fs::path elsewhere = Home() / "Elsewhere";
    test::fs::create_directories(elsewhere);
    test::WriteFile(config_ / "options.ini",
                    "FontName_Tree,Tahoma\r\nFontSize_Tree,10.5\r\nFontBold_Tree,-1\r\n"
                    "FormatDate,0\r\nDataPath," +
                        Folder(elsewhere) + "\r\nAutoSave,0\r\n\r\n");
    test::WriteFile(config_ / "auxiliary.ini", "TreeCustomField1,Status\r\n\r\n");
    std::string mru = "MaxCount,6\r\nCount,5\r\n";
    for (size_t i = 0; i < recent.size(); ++i)
        mru += "File" + std::to_string(i + 1) + "," + recent[i] + "\r\n";
    test::WriteFile(config_ / "mru.ini", mru + "\r\n");

    test::ProcessResult r = Run();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(SettingsLines(r.out), (Strings{"Initializing settings in registry",
                                             "File exists: " + Folder(config_) + "options.ini"}));
    EXPECT_EQ(WindowLines(r.out),
              (Strings{"FileToOpen (exists): " + recent[0], "MRU 2 (exists): " + recent[2],
                       "MRU 3 (exists): " + recent[3], "MRU 4 (exists): " + recent[4],
                       "Can create file in DataPath: " + Folder(elsewhere)}));
    EXPECT_EQ(TestFiles(elsewhere), 1u) << "the write test uses the migrated data folder";

    EXPECT_EQ(Query("\\Options\\Fonts\\Tree", "Name"), "Tahoma");
    EXPECT_EQ(Query("\\Options\\Fonts\\Tree", "Size"), "0xa");
    EXPECT_EQ(Query("\\Options\\Fonts\\Tree", "Bold"), "0xffffffff");
    EXPECT_EQ(Query("\\Options\\Fonts\\DateTime", "Name"), "Calibri");
    EXPECT_EQ(Query("\\Options\\DateTime", "FormatDate"), "0x8");
    EXPECT_EQ(Query("\\Options", "DataPath"), Folder(elsewhere));
    EXPECT_EQ(Query("\\Options", "AutoSave"), "0x0");
    EXPECT_EQ(Query("\\Options", "TreeCustomField1"), "Status");
    EXPECT_EQ(Query("\\Options", "SavedInReg"), "0x1");
    EXPECT_EQ(Query("\\Files", "MaxCount"), "0x6");
    EXPECT_EQ(Query("\\Files", "Count"), "0x5");
    EXPECT_EQ(Query("\\Files", "File2"), recent[1]) << "converted as listed";
    EXPECT_TRUE(test::fs::exists(config_ / "mru.ini"));

    // Second run: the registry wins and the option files are not read again.
    test::WriteFile(config_ / "options.ini", "DataPath," + Folder(data_) + "\r\n\r\n");
    test::fs::remove(recent[0]);
    r = Run();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(SettingsLines(r.out), (Strings{"Settings are already saved in registry"}));
    EXPECT_EQ(WindowLines(r.out),
              (Strings{"FileToOpen (exists): " + recent[2], "MRU 2 (exists): " + recent[3],
                       "MRU 3 (exists): " + recent[4],
                       "Can create file in DataPath: " + Folder(elsewhere)}));
}

} // namespace
} // namespace vellumo
