// The settings' registry form in process: what the migration writes (sign-extended flags, sizes
// rounded half to even, the whole set after either file), and what reading makes of stored
// values. The end-to-end runs in tests/integration cover both branches through the program.
#include "platform/modRegistry.h"
#include "settings/SettingsTestSupport.h"

namespace vellumo {
namespace {

using namespace modOptions;
using modRegistry::GetRegLong;
using modRegistry::GetRegString;
using modRegistry::SaveRegLong;
using modRegistry::SaveRegString;
using Strings = std::vector<std::string>;

const std::string kOptions = "Software\\Kestrova\\Vellumo\\Options";
const std::string kDateTime = kOptions + "\\DateTime";
const std::string kFonts = kOptions + "\\Fonts\\";
constexpr int32_t kHKCU = HKEY_CURRENT_USER;

class RegistrySettingsTest : public test::SettingsTest {
protected:
    static Strings Report() { return test::CrLfLines(modMain::gstrDiagnosticReport); }
    [[nodiscard]] static std::string OptionsPath() { return modMain::ConfigPath + "options.ini"; }
};

TEST_F(RegistrySettingsTest, MigrationWritesTheWholeSetWhenEitherFileWasRead) {
    test::WriteFile(ConfigFile("options.ini"),
                    "FontSize_Tree,10.5\r\nFontBold_Tree,1\r\nFontSize_Edit,11.5\r\n"
                    "FontColor_Edit,-1\r\nDataPath,/srv/data/\r\nAutoSave,0\r\n\r\n");
    test::WriteFile(ConfigFile("auxiliary.ini"), "PreserveState,5\r\n\r\n");
    EXPECT_TRUE(Settings_Read_FromRegistry());
    EXPECT_EQ(Report(),
              (Strings{"Initializing settings in registry", "File exists: " + OptionsPath()}));
    EXPECT_EQ(GetRegString(kHKCU, kFonts + "Tree", "Name", ""), "MS Sans Serif");
    EXPECT_EQ(GetRegLong(kHKCU, kFonts + "Tree", "Size", 0), 10) << "half to even";
    EXPECT_EQ(GetRegLong(kHKCU, kFonts + "Edit", "Size", 0), 12) << "half to even";
    EXPECT_EQ(GetRegLong(kHKCU, kFonts + "Tree", "Bold", 0), -1) << "True is stored as 4294967295";
    EXPECT_EQ(GetRegLong(kHKCU, kFonts + "Edit", "Color", 0), -1);
    EXPECT_EQ(GetRegLong(kHKCU, kDateTime, "FormatDate", 0), 8);
    EXPECT_EQ(GetRegString(kHKCU, kOptions, "DataPath", ""), "/srv/data/");
    EXPECT_EQ(GetRegString(kHKCU, kOptions, "OpenPathVlm", ""), modMain::DefaultDataPath);
    EXPECT_EQ(GetRegLong(kHKCU, kOptions, "AutoSave", 7), 0);
    EXPECT_EQ(GetRegLong(kHKCU, kOptions, "PreserveState", 0), 5);

    // Only auxiliary.ini: the options part is written with its defaults.
    EXPECT_EQ(SaveRegLong(kHKCU, kOptions, "SavedInReg", 0), "Success");
    test::fs::remove(ConfigFile("options.ini"));
    StartNewRun();
    EXPECT_TRUE(Settings_Read_FromRegistry());
    EXPECT_EQ(GetRegString(kHKCU, kOptions, "DataPath", ""), modMain::DefaultDataPath);
    EXPECT_EQ(GetRegString(kHKCU, kFonts + "DateTime", "Name", ""), "Calibri");
}

TEST_F(RegistrySettingsTest, ReadingTurnsStoredValuesIntoSettings) {
    EnableDebugLog();
    EXPECT_EQ(SaveRegLong(kHKCU, kOptions, "AutoBackup", 1), "Success");
    EXPECT_EQ(SaveRegString(kHKCU, kOptions, "BackColorTree", "255"), "Success");
    EXPECT_EQ(SaveRegString(kHKCU, kOptions, "DataPath", "/from/registry/"), "Success");
    EXPECT_EQ(SaveRegLong(kHKCU, kDateTime, "FormatDate", -3), "Success");
    EXPECT_EQ(SaveRegLong(kHKCU, kFonts + "Edit", "Size", 15), "Success");
    EXPECT_EQ(SaveRegLong(kHKCU, kFonts + "Edit", "Underline", 2), "Success");
    EXPECT_TRUE(Settings_Read_Reg());
    EXPECT_EQ(gblnAutoBackup, kTrue) << "a flag stored as 1 reads as True";
    EXPECT_EQ(BackColorTree, 16777215) << "a DWORD stored as text reads as its default";
    EXPECT_EQ(OpenPathVlm, "/from/registry/") << "defaults to the DataPath just read";
    EXPECT_EQ(FormatDate, -3) << "no lower bound on the registry side";
    EXPECT_EQ(FontSize_Edit, Currency::FromWhole(15));
    EXPECT_EQ(FontUnderline_Edit, kTrue);
    EXPECT_EQ(FontName_QuickFormat, "Courier New");
    EXPECT_TRUE(Logged(
        "End Settings_Read_Reg, lblnSuccess = True, gblnAutoBackup = True, gblnAutoSave = True"));

    // A size beyond 32 bits cannot be stored: reported, the record's later values unwritten.
    OptionsFont huge;
    huge.Name = "Huge";
    huge.Size = Currency::FromWhole(int64_t{1} << 40);
    huge.Color = 3;
    EXPECT_FALSE(SetOptionsFont(huge, "Huge"));
    ASSERT_EQ(reportedErrors_.size(), 1u);
    EXPECT_EQ(reportedErrors_[0].number, 6);
    EXPECT_EQ(reportedErrors_[0].procedure, "SetOptionsFont");
    EXPECT_EQ(GetRegString(kHKCU, kFonts + "Huge", "Name", ""), "Huge");
    EXPECT_EQ(GetRegLong(kHKCU, kFonts + "Huge", "Color", -1), -1);
}

} // namespace
} // namespace vellumo
