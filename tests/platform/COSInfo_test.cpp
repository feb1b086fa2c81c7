// Tests of COSInfo: display rules and their overflow boxes, the GUID text, TrimNulls, the
// registry read through the store, and the parsing of os-release, locales and kernel releases.
#include "platform/COSInfo.h"

#include "platform/RegistryApi.h"
#include "platform/modRegistry.h"
#include "support/TestEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <regex>

namespace vellumo {

// Reaches the private helpers, which every member builds on.
struct COSInfoTestAccess {
    static std::string TrimNulls(const std::string& text) { return COSInfo::TrimNulls(text); }
    static Variant RegistryGetKeyValue(int32_t root, const std::string& key,
                                       const std::string& value) {
        return COSInfo::RegistryGetKeyValue(root, key, value);
    }
};

namespace {

using test::IsolatedTest;

constexpr const char* kSetupKey = "Software\\Microsoft\\MS Setup (ACME)\\User Info";

// Sets environment variables for one test and restores them afterwards.
class ScopedEnv {
public:
    void Set(const char* name, const char* value) {
        if (!saved_.count(name)) {
            const char* old = std::getenv(name);
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        for (const auto& [name, value] : saved_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

class COSInfoTest : public IsolatedTest {
protected:
    void ExpectOneBox(const std::string& title, const std::string& text) {
        ASSERT_EQ(ui_.boxes.size(), 1u);
        EXPECT_EQ(ui_.boxes[0].title, title);
        EXPECT_EQ(ui_.boxes[0].text, text);
    }

    // Writes one value under the setup key of the store.
    static void StoreValue(const std::string& name, uint32_t type, const std::string& bytes) {
        regapi::RegKey key = 0;
        ASSERT_EQ(regapi::CreateKey(HKEY_CURRENT_USER, kSetupKey, regapi::KEY_ALL_ACCESS_0x3F, key),
                  regapi::kSuccess);
        ASSERT_EQ(regapi::SetValue(key, name, type, reinterpret_cast<const uint8_t*>(bytes.data()),
                                   static_cast<uint32_t>(bytes.size())),
                  regapi::kSuccess);
        EXPECT_EQ(regapi::CloseKey(key), regapi::kSuccess);
    }

    static Variant Read(const std::string& name) {
        return COSInfoTestAccess::RegistryGetKeyValue(HKEY_CURRENT_USER, kSetupKey, name);
    }

    COSInfo info_;
};

// ---- Display ----

TEST_F(COSInfoTest, DisplayColorsIsTwoToTheDepthAndMinusOneForThirtyTwoBits) {
    const std::pair<int, int32_t> cases[] = {{1, 2},      {4, 16},        {8, 256}, {15, 32768},
                                             {16, 65536}, {24, 16777216}, {32, -1}};
    for (const auto& [bits, colors] : cases) {
        ui_.screen.bitsPerPixel = bits;
        EXPECT_EQ(info_.DisplayColors(), colors) << bits << " bits";
    }
    // The depth is bits per pixel times planes.
    ui_.screen.bitsPerPixel = 1;
    ui_.screen.planes = 4;
    EXPECT_EQ(info_.DisplayColors(), 16);
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(COSInfoTest, DisplayColorsOfAnUnrepresentableDepthShowsOverflowAndGivesZero) {
    ui_.screen.bitsPerPixel = 31;
    EXPECT_EQ(info_.DisplayColors(), 0);
    ExpectOneBox("DisplayColors", "Error: 6. Overflow");

    ui_.boxes.clear();
    ui_.screen.bitsPerPixel = 16;
    ui_.screen.planes = 3; // 48 bits
    EXPECT_EQ(info_.DisplayColors(), 0);
    ExpectOneBox("DisplayColors", "Error: 6. Overflow");
}

TEST_F(COSInfoTest, LargeFontsOnlyAtExactly120DotsPerInchHorizontally) {
    for (int dpi : {96, 119, 121, 144}) {
        ui_.screen.logicalDpiX = dpi;
        EXPECT_FALSE(info_.LargeFonts()) << dpi;
    }
    ui_.screen.logicalDpiX = 120;
    ui_.screen.logicalDpiY = 96;
    EXPECT_TRUE(info_.LargeFonts());
    ui_.screen.logicalDpiX = 96;
    ui_.screen.logicalDpiY = 120;
    EXPECT_FALSE(info_.LargeFonts());
}

TEST_F(COSInfoTest, GetWorkAreaGivesOriginAndSizeAndOverflowsPast32767) {
    ui_.screen.workLeft = 5;
    ui_.screen.workTop = 7;
    ui_.screen.workRight = 5 + 32768;
    ui_.screen.workBottom = 1000;
    int16_t left = -1, top = -1, width = -1, height = -1;
    info_.GetWorkArea(left, top, width, height);
    ExpectOneBox("GetWorkArea", "Error: 6. Overflow");
    EXPECT_EQ(left, 5);
    EXPECT_EQ(top, 7);
    EXPECT_EQ(width, -1);
    EXPECT_EQ(height, -1);

    // 32767 itself still fits; sizes are right - left and bottom - top.
    ui_.boxes.clear();
    ui_.screen.workRight = 5 + 32767;
    ui_.screen.workTop = -20;
    ui_.screen.workBottom = 1060;
    info_.GetWorkArea(left, top, width, height);
    EXPECT_TRUE(ui_.boxes.empty());
    EXPECT_EQ(top, -20);
    EXPECT_EQ(width, 32767);
    EXPECT_EQ(height, 1080);
}

// ---- GUID ----

TEST(COSInfoGuid, FieldsInUpperCaseHexWithoutPaddingAndThreeDashes) {
    const std::array<uint8_t, 16> bytes = {0x78, 0x56, 0x34, 0x12, 0xBC, 0x9A, 0xF0, 0xDE,
                                           0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F, 0x60, 0xFF};
    EXPECT_EQ(osinfo::GuidTextFromBytes(bytes), "{12345678-9ABC-DEF0-A1B2C3D4E5F60FF}");

    // Every byte below 0x10: each field and byte shrinks to its significant digits.
    const std::array<uint8_t, 16> small = {0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x03, 0x00,
                                           0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x00, 0x01};
    const std::string text = osinfo::GuidTextFromBytes(small);
    EXPECT_EQ(text, "{1-2-3-ABCDEF01}");
    EXPECT_LT(text.size(), 38u);
}

TEST_F(COSInfoTest, NewGuidsAreRandomVersionFourInTheTextForm) {
    const std::regex form(
        R"(\{[0-9A-F]{1,8}-[0-9A-F]{1,4}-4[0-9A-F]{3}-[89AB][0-9A-F]([0-9A-F]{1,2}){7}\})");
    const std::string first = info_.GUID();
    const std::string second = info_.GUID();
    EXPECT_TRUE(std::regex_match(first, form)) << first;
    EXPECT_TRUE(std::regex_match(second, form)) << second;
    EXPECT_NE(first, second);
}

// ---- TrimNulls ----

TEST_F(COSInfoTest, TrimNullsCutsAtTheFirstNul) {
    EXPECT_EQ(COSInfoTestAccess::TrimNulls("plain"), "plain");
    EXPECT_EQ(COSInfoTestAccess::TrimNulls(std::string("\0abc", 4)), "");
    EXPECT_EQ(COSInfoTestAccess::TrimNulls(std::string("ab\0c\0", 5)), "ab");
    EXPECT_EQ(COSInfoTestAccess::TrimNulls(""), "");
    // Without a NUL the length does not matter.
    EXPECT_EQ(COSInfoTestAccess::TrimNulls(std::string(40000, 'x')).size(), 40000u);
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(COSInfoTest, TrimNullsCountsTheNulPositionInCharactersUpTo32767) {
    // 32766 two-byte characters: the NUL is character 32767 (byte 65533), still in range.
    std::string text;
    for (int i = 0; i < 32766; ++i)
        text += "\xC3\xA9";
    EXPECT_EQ(COSInfoTestAccess::TrimNulls(text + std::string(1, '\0') + "tail"), text);
    EXPECT_TRUE(ui_.boxes.empty());

    // One character more puts the NUL at 32768: overflow box, empty text.
    EXPECT_EQ(COSInfoTestAccess::TrimNulls(text + "x" + std::string(1, '\0')), "");
    ExpectOneBox("TrimNulls", "Error: 6. Overflow");
}

// ---- Registry ----

TEST_F(COSInfoTest, RegistryGetKeyValueByType) {
    StoreValue("Text", REG_SZ, "Ann Smith");
    StoreValue("TextWithNul", REG_SZ, std::string("Ann\0junk", 8));
    StoreValue("EmptyText", REG_SZ, "");
    StoreValue("Bytes", REG_BINARY, std::string("\x01\x02\xFF", 3));
    StoreValue("NoBytes", REG_BINARY, "");
    StoreValue("Number", REG_DWORD, std::string("\xFE\xFF\xFF\xFF", 4));
    StoreValue("Expand", REG_EXPAND_SZ, "%HOME%");
    StoreValue("Multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5));

    EXPECT_EQ(Read("Text"), Variant(std::string("Ann Smith")));
    EXPECT_EQ(Read("TextWithNul"), Variant(std::string("Ann")));
    EXPECT_EQ(Read("EmptyText"), Variant(std::string()));
    // One element more than the data, the extra one 0.
    EXPECT_EQ(Read("Bytes"), Variant(ByteArray{0x01, 0x02, 0xFF, 0x00}));
    EXPECT_TRUE(IsEmpty(Read("NoBytes")));
    EXPECT_EQ(Read("Number"), Variant(int32_t{-2}));
    EXPECT_TRUE(IsEmpty(Read("Expand")));
    EXPECT_TRUE(IsEmpty(Read("Multi")));
    EXPECT_TRUE(IsEmpty(Read("Missing")));
    EXPECT_TRUE(IsEmpty(COSInfoTestAccess::RegistryGetKeyValue(HKEY_CURRENT_USER,
                                                               "Software\\No\\Such", "DefName")));
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(COSInfoTest, SetupDefaultsAreTextsAndEmptyWhenMissingOrExpandable) {
    EXPECT_EQ(info_.DefaultUserName(), "");
    EXPECT_EQ(info_.DefaultCompanyName(), "");

    StoreValue("DefName", REG_SZ, std::string("Ann Smith\0", 10));
    StoreValue("DefCompany", REG_SZ, "Kestrova Ltd");
    EXPECT_EQ(info_.DefaultUserName(), "Ann Smith");
    EXPECT_EQ(info_.DefaultCompanyName(), "Kestrova Ltd");

    StoreValue("DefName", REG_EXPAND_SZ, "%USER%");
    StoreValue("DefCompany", REG_DWORD, std::string("\x2A\0\0\0", 4));
    EXPECT_EQ(info_.DefaultUserName(), "");
    EXPECT_EQ(info_.DefaultCompanyName(), "42");
    EXPECT_TRUE(ui_.boxes.empty());
}

// ---- Parsing ----

TEST(COSInfoParsing, PrettyNameOfOsRelease) {
    EXPECT_EQ(osinfo::PrettyNameFromOsRelease("NAME=\"Debian GNU/Linux\"\n"
                                              "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"
                                              "VERSION_ID=\"12\"\n"),
              "Debian GNU/Linux 12 (bookworm)");
    EXPECT_EQ(osinfo::PrettyNameFromOsRelease("PRETTY_NAME='Single Quoted'"), "Single Quoted");
    EXPECT_EQ(osinfo::PrettyNameFromOsRelease("PRETTY_NAME=Bare\r\n"), "Bare");
    EXPECT_EQ(osinfo::PrettyNameFromOsRelease(R"(PRETTY_NAME="Say \"hi\" for \$5 \\ \n")"),
              R"(Say "hi" for $5 \ \n)");
    // Comments and look-alike keys are not the key; the last assignment wins.
    EXPECT_EQ(osinfo::PrettyNameFromOsRelease("# PRETTY_NAME=\"Comment\"\n"
                                              "MY_PRETTY_NAME=\"Other\"\n"
                                              "PRETTY_NAME=\"First\"\n"
                                              "PRETTY_NAME=\"Second\"\n"),
              "Second");
    EXPECT_EQ(osinfo::PrettyNameFromOsRelease("NAME=Linux-ish\nID=x\n"), "Linux");
    EXPECT_EQ(osinfo::PrettyNameFromOsRelease(""), "Linux");
}

TEST(COSInfoParsing, LanguageNameOfLocale) {
    EXPECT_EQ(osinfo::LanguageNameFromLocale("de_DE.UTF-8"), "German");
    EXPECT_EQ(osinfo::LanguageNameFromLocale("fr_CA"), "French");
    EXPECT_EQ(osinfo::LanguageNameFromLocale("pt_BR.utf8@variant"), "Portuguese");
    EXPECT_EQ(osinfo::LanguageNameFromLocale("ca@valencia"), "Catalan");
    EXPECT_EQ(osinfo::LanguageNameFromLocale("EN_us"), "English");
    EXPECT_EQ(osinfo::LanguageNameFromLocale("zh_TW.Big5"), "Chinese");
    for (const char* english : {"C", "POSIX", "C.UTF-8", ""})
        EXPECT_EQ(osinfo::LanguageNameFromLocale(english), "English") << english;
    EXPECT_EQ(osinfo::LanguageNameFromLocale("tlh_XX"), "tlh");
}

TEST(COSInfoParsing, KernelReleaseNumbers) {
    const auto check = [](std::string_view release, int32_t major, int32_t minor, int32_t patch) {
        const osinfo::KernelVersion v = osinfo::ParseKernelRelease(release);
        EXPECT_EQ(v.major, major) << release;
        EXPECT_EQ(v.minor, minor) << release;
        EXPECT_EQ(v.patch, patch) << release;
    };
    check("6.1.0-27-amd64", 6, 1, 0);
    check("6.18.44-fc-v1272", 6, 18, 44);
    check("5.10", 5, 10, 0);
    check("4.19.0.1", 4, 19, 0);
    check("", 0, 0, 0);
    check("rc-1.2", 0, 0, 0);
    check("99999999999.2.3", 2147483647, 2, 3);
}

TEST(COSInfoParsing, TempFileNameUsesThreeCharactersAndHexNumber) {
    EXPECT_EQ(osinfo::TempFileName("/tmp/", "vellumo", 1), "/tmp/vel1.tmp");
    EXPECT_EQ(osinfo::TempFileName("/tmp/", "ab", 0x1A), "/tmp/ab1A.tmp");
    EXPECT_EQ(osinfo::TempFileName("/t/", "", 1), "/t/1.tmp");
    EXPECT_EQ(osinfo::TempFileName("/t/", "\xC3\xA4\xC3\xB6\xC3\xBCx", 1),
              "/t/\xC3\xA4\xC3\xB6\xC3\xBC"
              "1.tmp");
}

// ---- Live facts ----

TEST_F(COSInfoTest, LanguageFollowsLcAllThenLcMessagesThenLangWhenTheLocaleIsInstalled) {
    // Locales "installed" under these names for this test alone (LOCPATH): copies of the C.UTF-8
    // locale every system has, so that the test needs no locale of the machine's.
    const std::filesystem::path locales = Home() / "locales";
    std::filesystem::create_directories(locales);
    for (const char* name : {"es_ES.utf8", "it_IT.utf8", "de_DE.utf8"})
        std::filesystem::copy("/usr/lib/locale/C.utf8", locales / name,
                              std::filesystem::copy_options::recursive);
    ScopedEnv env;
    env.Set("LOCPATH", locales.c_str());
    env.Set("LC_ALL", nullptr);
    env.Set("LC_MESSAGES", nullptr);
    env.Set("LANG", "es_ES.UTF-8");
    EXPECT_EQ(info_.Language(), "Spanish");
    env.Set("LC_MESSAGES", "it_IT.UTF-8");
    EXPECT_EQ(info_.Language(), "Italian");
    env.Set("LC_ALL", "de_DE.UTF-8");
    EXPECT_EQ(info_.Language(), "German");
    env.Set("LC_ALL", "C");
    EXPECT_EQ(info_.Language(), "English");

    // A locale the system does not have (as over SSH, where the client's LANG arrives) is not in
    // force: the locale in force, this test's "C", gives the language.
    for (const char* missing : {"fr_ZZ.UTF-8", "pt_BR.ISO-8859-1"}) {
        env.Set("LC_ALL", missing);
        EXPECT_EQ(info_.Language(), "English") << missing;
    }
}

TEST_F(COSInfoTest, TempPathAndTempFileFollowTmpdirAndCreateNothing) {
    ScopedEnv env;
    env.Set("TMPDIR", nullptr);
    EXPECT_EQ(info_.TempPath(), "/tmp/");

    const std::string folder = Home().string();
    env.Set("TMPDIR", folder.c_str());
    EXPECT_EQ(info_.TempPath(), folder + "/");
    const std::string name = info_.TempFile("Vellumo");
    EXPECT_EQ(name, folder + "/Vel1.tmp");
    EXPECT_EQ(info_.TempFile("Vellumo"), name);
    EXPECT_FALSE(std::filesystem::exists(name));
}

} // namespace
} // namespace vellumo
