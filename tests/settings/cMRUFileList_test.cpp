// The recent-files list: array bounds, AddFile, menu captions, "mru.ini" and the registry form,
// including sizes and counts far beyond what memory or time allow.
#include "platform/RuntimeError.h"
#include "platform/cRegistry.h"
#include "platform/modRegistry.h"
#include "settings/SettingsTestSupport.h"
#include "settings/cMRUFileList.h"
#include "settings/modMisc.h"

namespace vellumo {
namespace {

using modRegistry::GetRegLong;
using modRegistry::GetRegString;
using modRegistry::SaveRegLong;
using modRegistry::SaveRegString;
using Strings = std::vector<std::string>;

const std::string kFiles = "Software\\Kestrova\\Vellumo\\Files";
constexpr int32_t kHKCU = HKEY_CURRENT_USER;

int32_t ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const RuntimeError& e) {
        return e.Number();
    }
    return 0;
}

class MRUListTest : public test::SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        registry_.SetClassKey(kHKCU);
        registry_.SetSectionKey(kFiles);
    }
    std::string MakeFile(const std::string& name) {
        test::WriteFile(Home() / name, "x");
        return (Home() / name).string();
    }
    void WriteMru(const std::string& text) { test::WriteFile(ConfigFile("mru.ini"), text); }
    static Strings Entries(const cMRUFileList& list, int32_t count) {
        Strings entries;
        for (int32_t i = 1; i <= count; ++i)
            entries.push_back(list.FILE(i));
        return entries;
    }
    cRegistry registry_;
};

TEST_F(MRUListTest, ArrayBoundsAndSizes) {
    cMRUFileList list;
    EXPECT_EQ(ErrorOf([&] { (void)list.FILE(1); }), 9) << "no array yet";
    EXPECT_EQ(ErrorOf([&] { (void)list.MenuCaption(1); }), 9);
    EXPECT_EQ(ErrorOf([&] { list.SetMaxFileCount(0); }), 0) << "already the maximum";
    EXPECT_EQ(ErrorOf([&] { list.SetMaxFileCount(-5); }), 9);
    list.SetMaxFileCount(6);
    EXPECT_FALSE(list.FileExists(6));
    EXPECT_EQ(ErrorOf([&] { (void)list.FileExists(0); }), 9);
    EXPECT_EQ(ErrorOf([&] { (void)list.FILE(7); }), 9);
    // A size that would exhaust memory is refused with Out of memory (7); the list is unchanged.
    EXPECT_EQ(ErrorOf([&] { list.SetMaxFileCount(2000000000); }), err::kOutOfMemory);
    EXPECT_EQ(list.MaxFileCount(), 6);
}

TEST_F(MRUListTest, AddFileOrdersByUse) {
    cMRUFileList list;
    list.SetMaxFileCount(6);
    Strings p;
    for (const char* name : {"f1", "f2", "f3", "f4", "f5", "f6", "f7"})
        p.push_back(MakeFile(name));
    for (int i = 0; i < 4; ++i)
        list.AddFile(p[static_cast<size_t>(i)]);
    // Listed at position 3 in other letter case: moves first and takes the new spelling.
    const std::string upper = MakeFile("F2");
    list.AddFile(upper);
    EXPECT_EQ(Entries(list, 4), (Strings{upper, p[3], p[2], p[0]}));
    list.AddFile((Home() / "missing").string());
    EXPECT_EQ(list.FileCount(), 4);
    for (int i = 4; i < 7; ++i)
        list.AddFile(p[static_cast<size_t>(i)]);
    EXPECT_EQ(list.FileCount(), 6) << "a full list drops its last entry";
    EXPECT_EQ(Entries(list, 6), (Strings{p[6], p[5], p[4], upper, p[3], p[2]}));
}

TEST_F(MRUListTest, MruIniReadingAndMenuCaptions) {
    const std::string noFit = "ab/" + std::string(37, 'x'); // tail of 38
    const std::string allFit = "/" + std::string(15, 'a') + "/" + std::string(16, 'b'); // 33 long
    const std::string deep = "/home/someone/Documents/Vellumo Data/projects/2024/plan.vlm";
    const std::string wide =
        "/" + std::string(40, 'a') + "/ä" + std::string(31, 'b'); // 33 chars, 34 bytes
    WriteMru("MaxCount,2\r\nCount,7\r\nFile9,/a.txt\r\nFile1," + noFit + "\r\nFile3," + allFit +
             "\r\nFile4," + deep + "\r\nFile5," + wide + "\r\n\r\nFile6,/after-blank\r\n");
    cMRUFileList list;
    list.MRU_Read();
    EXPECT_EQ(list.MaxFileCount(), 5) << "raised to the number of entries";
    EXPECT_EQ(list.FileCount(), 7) << "as the Count line says";
    EXPECT_EQ(list.MenuCaption(1), "&1)  /a.txt");
    EXPECT_EQ(list.MenuCaption(2), "&2)  ..." + noFit.substr(2));
    EXPECT_EQ(list.MenuCaption(3), "&3)  " + allFit);
    EXPECT_EQ(list.MenuCaption(4), "&4)  .../projects/2024/plan.vlm");
    EXPECT_EQ(list.MenuCaption(5), "&5)  .../ä" + std::string(31, 'b'));
    EXPECT_TRUE(reportedErrors_.empty());

    test::fs::remove(ConfigFile("mru.ini"));
    cMRUFileList created;
    created.MRU_Read();
    EXPECT_EQ(test::ReadFile(ConfigFile("mru.ini")), "MaxCount,6\r\nCount,0\r\n\r\n");
    EXPECT_EQ(created.MaxFileCount(), 6);
}

TEST_F(MRUListTest, BadMruIniValuesAreReportedWithTheirStep) {
    struct Case {
        std::string text;
        int32_t number;
        int32_t step;
    };
    std::string many = "MaxCount,6\r\n";
    for (int i = 1; i <= cMRUFileList::kMaxEntries + 1; ++i)
        many += "File,/p\r\n";
    for (const Case& c : std::vector<Case>{{"MaxCount,-5\r\n", 9, 270},
                                           {"MaxCount,2000000000\r\n", err::kOutOfMemory, 270},
                                           {"Count,x\r\n", 13, 330},
                                           {"File1", 62, 400},
                                           {many, err::kOutOfMemory, 444}}) {
        reportedErrors_.clear();
        WriteMru(c.text);
        cMRUFileList list;
        list.MRU_Read();
        ASSERT_EQ(reportedErrors_.size(), 1u) << c.step;
        EXPECT_EQ(reportedErrors_[0].number, c.number) << c.step;
        EXPECT_EQ(reportedErrors_[0].extra, "Error line: " + std::to_string(c.step));
    }
}

TEST_F(MRUListTest, HugeCountFailsTheSavesAfterTheArray) {
    WriteMru("MaxCount,6\r\nCount,2000000000\r\nFile1,/a\r\n");
    cMRUFileList list;
    list.MRU_Read();
    const std::string before = test::ReadFile(ConfigFile("mru.ini"));
    EXPECT_FALSE(list.Save(false, registry_));
    ASSERT_EQ(reportedErrors_.size(), 1u);
    EXPECT_EQ(reportedErrors_[0].procedure, "MRU_Save");
    EXPECT_EQ(test::ReadFile(ConfigFile("mru.ini")), before)
        << "the text is built before the file is opened";
    EXPECT_FALSE(list.Save(true, registry_));
    EXPECT_EQ(GetRegLong(kHKCU, kFiles, "Count", 0), 2000000000);
    EXPECT_EQ(GetRegString(kHKCU, kFiles, "File6", "?"), " ")
        << "an empty entry is stored as one space";
    EXPECT_EQ(GetRegString(kHKCU, kFiles, "File7", "missing"), "missing");
}

TEST_F(MRUListTest, RegistryLoadKeepsOnlyExistingFilesInBoundedTime) {
    const std::string a = MakeFile("a"), b = MakeFile("b"), c = MakeFile("c");
    EXPECT_EQ(SaveRegLong(kHKCU, kFiles, "MaxCount", 6), "Success");
    EXPECT_EQ(SaveRegLong(kHKCU, kFiles, "Count", 2000000000), "Success");
    for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
             {"File1", a}, {"File2", b}, {"File3", c}, {"File1999999999", a}})
        EXPECT_EQ(SaveRegString(kHKCU, kFiles, name, value), "Success");
    test::fs::remove(b);
    cMRUFileList list;
    EXPECT_TRUE(list.Load(true, registry_));
    EXPECT_EQ(list.FileCount(), 3);
    EXPECT_EQ(Entries(list, 4), (Strings{a, c, a, ""}));
    EXPECT_EQ(GetRegString(kHKCU, kFiles, "File2", ""), b) << "stored entries stay intact";

    EnableDebugLog();
    for (const int32_t maxCount : {2000000000, -5}) {
        EXPECT_EQ(SaveRegLong(kHKCU, kFiles, "MaxCount", maxCount), "Success");
        cMRUFileList bad;
        EXPECT_FALSE(bad.Load(true, registry_));
        EXPECT_EQ(bad.MaxFileCount(), 0);
    }
    EXPECT_TRUE(Logged("cMRUFileList.Load, Err.Number = 7, Err.Description = Out of memory"));

    // InitializeMRU gives the list its 6 entries whatever was loaded.
    cMRUFileList window;
    auto registry = std::make_unique<cRegistry>();
    modMisc::InitializeMRU(window, registry);
    EXPECT_EQ(registry->SectionKey(), kFiles);
    EXPECT_EQ(window.MaxFileCount(), 6);
    EXPECT_EQ(window.FILE(1), "");
}

} // namespace
} // namespace vellumo
