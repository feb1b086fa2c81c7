// The option files: defaults, the written form, reading back every entry, the reader's edge cases,
// the error paths with their step numbers, and input too large or malformed to be an option file.
#include "platform/RuntimeError.h"
#include "settings/OptionTables.h"
#include "settings/SettingsTestSupport.h"

namespace vellumo {
namespace {

using namespace modOptions;
using detail::OptionEntry;
using test::CrLfLines;

class OptionFilesTest : public test::SettingsTest {
protected:
    void WriteOptions(const std::string& text) { test::WriteFile(ConfigFile("options.ini"), text); }

    // Gives every entry a value that no default has; texts hold a comma or outer spaces.
    static void SetDistinctValues(std::span<const OptionEntry> table) {
        int32_t i = 0;
        for (const OptionEntry& e : table) {
            ++i;
            if (auto* text = std::get_if<std::string*>(&e.target))
                **text = i % 2 ? "v" + std::to_string(i) + ", ä" : " v" + std::to_string(i) + " ";
            else if (auto* size = std::get_if<Currency*>(&e.target))
                **size = Currency{i * 10000 + 2500};
            else if (auto* flag = std::get_if<int16_t*>(&e.target))
                **flag = i % 2 ? kTrue : kFalse;
            else
                *std::get<int32_t*>(e.target) = 1000 * i + 7; // above the FormatDate bound
        }
    }
    static std::vector<std::string> Values(std::span<const OptionEntry> table) {
        std::vector<std::string> values;
        for (const OptionEntry& e : table)
            values.push_back(detail::WrittenValue(e));
        return values;
    }
};

TEST_F(OptionFilesTest, RestoreDefaultsLeavesOptViewBarsAndSetsTheOpenAndSavePaths) {
    SetDistinctValues(detail::ConfigTable());
    SetDistinctValues(detail::AuxTable());
    const int32_t viewBars = OptViewBars;
    Config_RestoreDefaults();
    EXPECT_EQ(FontName_Tree, "MS Sans Serif");
    EXPECT_EQ(FontSize_Edit, Currency::FromWhole(11));
    EXPECT_EQ(FontSize_QuickFormat, Currency::FromWhole(10));
    EXPECT_EQ(FormatDate, 8);
    EXPECT_EQ(gblnAutoSave, kTrue);
    EXPECT_EQ(BackColorTree, 16777215);
    EXPECT_EQ(OptViewBars, viewBars);
    EXPECT_EQ(modMain::DataPath, modMain::DefaultDataPath);
    EXPECT_EQ(OneClickBackupPath, modMain::DefaultOneClickBackupPath);
    EXPECT_EQ(OpenPathVlm, modMain::DefaultDataPath);
    EXPECT_EQ(SavePathVlm, modMain::DefaultDataPath);
    EXPECT_NE(TreeCustomField1, "") << "auxiliary.ini's own entries stay";
    Aux_RestoreDefaults();
    EXPECT_EQ(
        Values(detail::AuxTable()),
        (std::vector<std::string>{"", "", modMain::DataPath, modMain::DataPath, "1", "1", "0"}));
}

TEST_F(OptionFilesTest, MissingFileIsCreatedOnlyWhenAskedAndTheReadStillFails) {
    EnableDebugLog();
    SetDistinctValues(detail::ConfigTable());
    const auto before = Values(detail::ConfigTable());
    EXPECT_FALSE(Config_Read(false, true));
    EXPECT_FALSE(test::fs::exists(ConfigFile("options.ini")));
    EXPECT_EQ(Values(detail::ConfigTable()), before);
    EXPECT_TRUE(Logged("File missing: " + modMain::ConfigPath + "options.ini"));

    EXPECT_FALSE(Config_Read(true, false));
    const std::string text = test::ReadFile(ConfigFile("options.ini"));
    const auto lines = CrLfLines(text);
    ASSERT_EQ(lines.size(), 50u);
    EXPECT_EQ(lines[0], "FontName_Tree,MS Sans Serif");
    EXPECT_EQ(lines[1], "FontSize_Tree,8");
    EXPECT_EQ(lines[40], "OptViewBars," + before[40]);
    EXPECT_TRUE(text.ends_with("\r\nAutoSave,-1\r\n\r\n"));
    EXPECT_TRUE(Logged("Config_Read - restoring defaults; file missing: " + modMain::ConfigPath +
                       "options.ini"));
    EXPECT_TRUE(Logged("End Config_Read, lblnSuccess = False"));

    EXPECT_FALSE(Aux_Read(true, false));
    EXPECT_EQ(CrLfLines(test::ReadFile(ConfigFile("auxiliary.ini"))).size(), 8u);
    EXPECT_TRUE(Config_Read(true, false));
}

TEST_F(OptionFilesTest, SavedFilesReadBackToTheSameValues) {
    for (auto table : {detail::ConfigTable(), detail::AuxTable()}) {
        SetDistinctValues(table);
        const auto saved = Values(table);
        Config_Save(false);
        Aux_Save(false);
        Config_RestoreDefaults();
        Aux_RestoreDefaults();
        EXPECT_TRUE(Config_Read(false, true));
        EXPECT_TRUE(Aux_Read(false, true));
        EXPECT_EQ(Values(table), saved);
    }
    EXPECT_NE(test::ReadFile(ConfigFile("auxiliary.ini")).find("\r\nOpenPathVlm,\"v3, ä\"\r\n"),
              std::string::npos)
        << "a value with a comma is written quoted";
    EXPECT_TRUE(reportedErrors_.empty());
}

TEST_F(OptionFilesTest, ValueRulesOfTheReader) {
    Config_RestoreDefaults();
    WriteOptions(
        "FormatDate,0\r\nFormatTime,-5\r\nFontBold_Tree,5\r\nFontItalic_Tree,"
        "\r\nOneClickBackupPath,\r\n"
        "fontname_tree,Lower\r\nColour,7\r\nFontName_Edit,First\r\n\r\nFontName_Edit,Second\r\n"
        "FontSize_Edit, 9.5 \r\nDataPath,/srv/a,b/\r\n");
    EXPECT_TRUE(Config_Read(false, true));
    EXPECT_EQ(FormatDate, 8);
    EXPECT_EQ(FormatTime, 3);
    EXPECT_EQ(FontBold_Tree, kTrue);
    EXPECT_EQ(FontItalic_Tree, kFalse) << "an empty flag reads as False";
    EXPECT_EQ(OneClickBackupPath, modMain::DefaultOneClickBackupPath);
    EXPECT_EQ(FontName_Tree, "MS Sans Serif") << "keys are case-sensitive";
    EXPECT_EQ(FontName_Edit, "Second");
    EXPECT_EQ(FontSize_Edit, Currency{95000});
    EXPECT_EQ(modMain::DataPath, "/srv/a") << "an unquoted comma ends the value";
    Config_Save(false);
    EXPECT_NE(test::ReadFile(ConfigFile("options.ini")).find("\r\nFontBold_Tree,-1\r\n"),
              std::string::npos);
}

TEST_F(OptionFilesTest, FailedReadKeepsWhatWasReadAndReportsItsStep) {
    struct Case {
        std::string text;
        int32_t number;
        int32_t step;
    };
    for (const Case& c :
         std::vector<Case>{{"FontName_Tree", 62, 190},
                           {"FontSize_Tree,abc\r\nFontName_Tree,Never\r\n", 13, 220},
                           {"FontBold_Tree,70000\r\n", 6, 250},
                           {"FormatTime,\r\n", 13, 870},
                           {"BackColorTree,blue\r\n", 13, 1550},
                           {"AutoSave", 62, 1552},
                           {"AutoSave,yes", 13, 1553}}) {
        reportedErrors_.clear();
        Config_RestoreDefaults();
        WriteOptions("FontName_Edit,Verdana\r\n" + c.text);
        EXPECT_FALSE(Config_Read(false, true)) << c.text;
        ASSERT_EQ(reportedErrors_.size(), 1u) << c.text;
        EXPECT_EQ(reportedErrors_[0].number, c.number) << c.text;
        EXPECT_EQ(reportedErrors_[0].procedure, "Config_Read");
        EXPECT_EQ(reportedErrors_[0].extra, "Error line: " + std::to_string(c.step)) << c.text;
        EXPECT_EQ(FontName_Edit, "Verdana") << "values read before the failure stay";
        EXPECT_EQ(FontName_Tree, "MS Sans Serif") << "later entries are not read";
        EXPECT_EQ(FontSize_Tree, Currency::FromWhole(8)) << "a failed conversion stores nothing";
    }

    // Silent: only the log.
    EnableDebugLog();
    reportedErrors_.clear();
    test::WriteFile(ConfigFile("auxiliary.ini"), "TreeCustomField1,kept\r\nPreserveState,many\r\n");
    EXPECT_FALSE(Aux_Read(true, true));
    EXPECT_TRUE(reportedErrors_.empty());
    EXPECT_TRUE(Logged("Error in Aux_Read: 13. Type mismatch. Error line: 280"));
    EXPECT_EQ(TreeCustomField1, "kept");
}

TEST_F(OptionFilesTest, SaveIntoAMissingFolderReportsTheOpenStep) {
    EnableDebugLog();
    modMain::ConfigPath = FolderOf(Home() / "no such folder");
    Config_Save(false);
    ASSERT_EQ(reportedErrors_.size(), 1u);
    EXPECT_EQ(reportedErrors_[0].number, err::kPathNotFound);
    EXPECT_EQ(reportedErrors_[0].extra, "Error line: 530");
    EXPECT_TRUE(Logged("End Config_Save"));
    // A read that must create the file hands its silence to the save.
    EXPECT_FALSE(Aux_Read(true, false));
    EXPECT_EQ(reportedErrors_.size(), 1u);
    EXPECT_TRUE(Logged("Error in Aux_Save: 76. Path not found. Error line: 120"));
}

TEST_F(OptionFilesTest, MalformedAndHugeFilesAreReadToTheirEnd) {
    Config_RestoreDefaults();
    WriteOptions("FontName_Tree,\"Arial\r\nFontName_Edit,Verdana\r\n");
    EXPECT_TRUE(Config_Read(false, true));
    EXPECT_EQ(FontName_Tree, "Arial\r\nFontName_Edit,Verdana\r\n")
        << "an open quote runs to the end";

    std::string garbage;
    for (int i = 0; i < 1 << 20; ++i)
        garbage.push_back(static_cast<char>((i * 2654435761u) >> 24));
    WriteOptions(garbage);
    const auto before = Values(detail::ConfigTable());
    (void)Config_Read(false, true);
    EXPECT_EQ(Values(detail::ConfigTable()), before);

    std::string big;
    big.reserve(50u << 20);
    while (big.size() < (50u << 20))
        big += "UnknownKey,some value that nobody reads\r\n";
    WriteOptions(big + "FormatDate,5\r\n");
    EXPECT_TRUE(Config_Read(false, true));
    EXPECT_EQ(FormatDate, 5);

    // One value of 50 MB is a damaged file: the read ends there, nothing of it is stored, and
    // what was read before stays.
    reportedErrors_.clear();
    Config_RestoreDefaults();
    WriteOptions("FontName_Edit,Verdana\r\nDataPath," + std::string(50u << 20, 'p') +
                 "\r\nFormatDate,5\r\n");
    EXPECT_FALSE(Config_Read(false, true));
    ASSERT_EQ(reportedErrors_.size(), 1u);
    EXPECT_EQ(reportedErrors_[0].number, err::kOutOfMemory);
    EXPECT_EQ(FontName_Edit, "Verdana");
    EXPECT_EQ(modMain::DataPath, modMain::DefaultDataPath);
    EXPECT_EQ(FormatDate, 8);
}

} // namespace
} // namespace vellumo
