// The settings start-up and the window-load checks of the real program when things go wrong: an
// options.ini the user may not read, a data folder the user may not write to, and recent-files
// counts and sizes far beyond what memory or time allow.
#include "integration/settings_support.h"

namespace vellumo {
namespace {

using test::Strings;

class SettingsFailureRun : public test::SettingsRunTest {
protected:
    static void AddValue(const std::string& subKey, const std::string& name,
                         const std::string& data, bool asNobody = false) {
        const Strings argv = {test::BuiltProgram("vellumo-reg"),
                              "add",
                              test::kRegRoot + subKey,
                              "/v",
                              name,
                              "/t",
                              "REG_DWORD",
                              "/d",
                              data,
                              "/f"};
        const test::ProcessResult r =
            asNobody ? test::RunProcessAsNobody(argv) : test::RunProcess(argv);
        ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    }
};

TEST_F(SettingsFailureRun, UnreadableOptionsIniStillSetsTheMarker) {
    test::WriteFile(config_ / "options.ini", "FontName_Tree,Tahoma\r\n\r\n");
    test::fs::permissions(config_ / "options.ini", test::fs::perms::none);
    // Debug mode, so that the silent read failure shows in the log; the store is the user's.
    OpenTreeToNobody();
    ASSERT_NO_FATAL_FAILURE(AddValue("\\Debug", "On", "1", true));

    test::ProcessResult r = RunAsNobody();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(SettingsLines(r.out), (Strings{"Initializing settings in registry",
                                             "File exists: " + Folder(config_) + "options.ini"}));
    EXPECT_EQ(WindowLines(r.out), (Strings{"", "Can create file in DataPath: " + Folder(data_)}));
    std::string log;
    for (const auto& entry : test::fs::directory_iterator(data_ / "Log"))
        log += test::ReadFile(entry.path());
    EXPECT_NE(log.find("  Error in Config_Read: 75. Path/File access error. Error line: 140\r\n"),
              std::string::npos)
        << log;

    // The next run reads the registry, which holds no settings: the registry defaults.
    r = RunAsNobody();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(SettingsLines(r.out), (Strings{"Settings are already saved in registry"}));
    EXPECT_FALSE(KeyExists("\\Options\\Fonts\\Tree"));
    EXPECT_EQ(Query("\\Options\\Fonts\\DateTime", "Name"), "Courier New")
        << "written back by the read";
}

TEST_F(SettingsFailureRun, ReadOnlyDataFolderReportsTheErrorThenCannotCreate) {
    const test::ProcessResult r = RunAsNobody({data_});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(WindowLines(r.out),
              (Strings{"", "Err.Number: 75, Err.Description = Path/File access error",
                       "Cannot create file in DataPath: " + Folder(data_)}));
    EXPECT_EQ(TestFiles(data_), 0u);
}

TEST_F(SettingsFailureRun, HugeCountsAndSizesEndInBoundedTime) {
    const std::string recent = (Home() / "recent").string();
    test::WriteFile(recent, "x");
    test::WriteFile(config_ / "mru.ini",
                    "MaxCount,6\r\nCount,2000000000\r\nFile1," + recent + "\r\n\r\n");
    // options.ini of binary garbage (no quotes, which would swallow the rest) ending in an open
    // quote.
    std::string garbage;
    for (int i = 0; i < 1 << 20; ++i) {
        const char c = static_cast<char>((i * 2654435761u) >> 24);
        garbage.push_back(c == '"' ? 'q' : c);
    }
    test::WriteFile(config_ / "options.ini", garbage + "\r\nFontName_Tree,\"Tahoma");

    test::ProcessResult r = Run();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string canCreate = "Can create file in DataPath: " + Folder(data_);
    EXPECT_EQ(WindowLines(r.out), (Strings{"FileToOpen (exists): " + recent, canCreate}));
    EXPECT_EQ(Query("\\Files", "Count"), "0x77359400") << "2000000000 as read from mru.ini";
    EXPECT_EQ(Query("\\Options\\Fonts\\Tree", "Name"), "Tahoma");

    // A maximum no array can have, or one below 1: the list stays empty.
    for (const char* maxCount : {"2000000000", "0xfffffffb"}) {
        AddValue("\\Files", "MaxCount", maxCount);
        r = Run();
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(WindowLines(r.out), (Strings{"", canCreate})) << maxCount;
    }
}

} // namespace
} // namespace vellumo
