// The operating-system independent part of COSInfo: every member, with its error box, over the
// per-platform primitives of COSInfoSystem.h; display facts from the UI service, the registry
// read, TrimNulls, and the parsing and formatting helpers of the osinfo namespace.
#include "platform/COSInfo.h"

#include "platform/COSInfoSystem.h"
#include "platform/CodePage.h"
#include "platform/NumberText.h"
#include "platform/RegistryApi.h"
#include "platform/RegistryConstants.h"
#include "platform/RegistryKeyHandle.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"
#include "platform/UiService.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iterator>
#include <limits>
#include <optional>
#include <utility>

namespace vellumo {
namespace {

// The setup program's user information, where the setup defaults for names live.
constexpr const char* kSetupUserInfoKey = "Software\\Microsoft\\MS Setup (ACME)\\User Info";

// TrimNulls holds the NUL's position in a 16-bit integer.
constexpr size_t kLargestNulPosition = 32767;

// A colour depth of 32 bits has no 32-bit colour count: the property reports it as -1.
constexpr int64_t kTrueColorDepth = 32;
// 2 ^ 31 and above do not fit in a 32-bit signed integer.
constexpr int64_t kFirstUnrepresentableDepth = 31;

// "Large fonts" is the one resolution of 120 dots per inch; 96 is "small fonts".
constexpr int kLargeFontsDpi = 120;

// OSBuild keeps the build number's low 15 bits.
constexpr int32_t kBuildMask = 0x7FFF;
// The unique number TempFile asks the system to form a name with: with a number of its own the
// system neither creates the file nor checks that the name is free.
constexpr uint32_t kTempFileUnique = 1;

// A Boolean setting as the system takes it: widened with its sign, True = -1.
int32_t SignWidened(bool value) {
    return value ? -1 : 0;
}

} // namespace

// ---- Members served by the operating system ----

bool COSInfo::Beep() const {
    return ui::ReportingFailures("Beep", false, [] { return osinfo::detail::BeepSwitch() != 0; });
}

void COSInfo::SetBeep(bool fValue) {
    ui::ReportingFailures("Beep", 0, [fValue] {
        osinfo::detail::SetBeepSwitch(SignWidened(fValue));
        return 0;
    });
}

std::string COSInfo::ComputerName() const {
    return ui::ReportingFailures("ComputerName", std::string(),
                                 [] { return TrimNulls(osinfo::detail::ComputerNameText()); });
}

void COSInfo::SetComputerName(const std::string& strValue) {
    ui::ReportingFailures("ComputerName", 0, [&] {
        osinfo::detail::RenameComputer(strValue);
        return 0;
    });
}

std::string COSInfo::CurrentHardwareProfile() const {
    return ui::ReportingFailures("CurrentHardwareProfile", std::string(),
                                 [] { return TrimNulls(osinfo::detail::HardwareProfileName()); });
}

std::string COSInfo::GUID() const {
    return ui::ReportingFailures(
        "GUID", std::string(), [] { return osinfo::GuidTextFromBytes(osinfo::detail::NewGuid()); });
}

std::string COSInfo::Language() const {
    return ui::ReportingFailures("Language", std::string(),
                                 [] { return TrimNulls(osinfo::detail::LanguageName()); });
}

std::string COSInfo::OSAdditional() const {
    return ui::ReportingFailures("OSAdditional", std::string(),
                                 [] { return TrimNulls(osinfo::detail::ServicePackText()); });
}

int32_t COSInfo::OSBuild() const {
    return ui::ReportingFailures("OSBuild", int32_t{0}, [] {
        return static_cast<int32_t>(osinfo::detail::Version().build) & kBuildMask;
    });
}

int32_t COSInfo::OSMajorVersion() const {
    return ui::ReportingFailures("OSMajorVersion", int32_t{0}, [] {
        return static_cast<int32_t>(osinfo::detail::Version().major);
    });
}

int32_t COSInfo::OSMinorVersion() const {
    return ui::ReportingFailures("OSMinorVersion", int32_t{0}, [] {
        return static_cast<int32_t>(osinfo::detail::Version().minor);
    });
}

bool COSInfo::ScreenSaverActive() const {
    return ui::ReportingFailures("ScreenSaverActive", false,
                                 [] { return osinfo::detail::ScreenSaverSwitch() != 0; });
}

void COSInfo::SetScreenSaverActive(bool fValue) {
    ui::ReportingFailures("ScreenSaverActive", 0, [fValue] {
        osinfo::detail::SetScreenSaverSwitch(SignWidened(fValue));
        return 0;
    });
}

int32_t COSInfo::ScreenSaverTimeout() const {
    return ui::ReportingFailures("ScreenSaverTimeout", int32_t{0},
                                 [] { return osinfo::detail::ScreenSaverSeconds(); });
}

void COSInfo::SetScreenSaverTimeout(int32_t lngValue) {
    ui::ReportingFailures("ScreenSaverTimeout", 0, [lngValue] {
        osinfo::detail::SetScreenSaverSeconds(lngValue);
        return 0;
    });
}

std::string COSInfo::SystemDirectory() const {
    return ui::ReportingFailures("SystemDirectory", std::string(),
                                 [] { return TrimNulls(osinfo::detail::SystemFolder()); });
}

std::string COSInfo::TempFile(const std::string& strPrefix) const {
    return ui::ReportingFailures("TempFile", std::string(), [&] {
        return TrimNulls(osinfo::detail::TempFileName(strPrefix, kTempFileUnique));
    });
}

std::string COSInfo::TempPath() const {
    return ui::ReportingFailures("TempPath", std::string(),
                                 [] { return TrimNulls(osinfo::detail::TempFolder()); });
}

std::string COSInfo::UserName() const {
    return ui::ReportingFailures("UserName", std::string(),
                                 [] { return TrimNulls(osinfo::detail::LoginName()); });
}

std::string COSInfo::WindowsDirectory() const {
    return ui::ReportingFailures("WindowsDirectory", std::string(),
                                 [] { return TrimNulls(osinfo::detail::WindowsFolder()); });
}

int32_t COSInfo::WindowsType() const {
    return ui::ReportingFailures("WindowsType", int32_t{0}, [] {
        return static_cast<int32_t>(osinfo::detail::Version().platformId);
    });
}

// ---- Members served by the UI service and the registry store ----

std::string COSInfo::DefaultCompanyName() const {
    return ui::ReportingFailures("DefaultCompanyName", std::string(), [] {
        return VariantToText(
            RegistryGetKeyValue(HKEY_CURRENT_USER, kSetupUserInfoKey, "DefCompany"));
    });
}

std::string COSInfo::DefaultUserName() const {
    return ui::ReportingFailures("DefaultUserName", std::string(), [] {
        return VariantToText(RegistryGetKeyValue(HKEY_CURRENT_USER, kSetupUserInfoKey, "DefName"));
    });
}

int32_t COSInfo::DisplayColors() const {
    return ui::ReportingFailures("DisplayColors", int32_t{0}, [] {
        const ui::ScreenFacts screen = ui::Ui().Screen();
        const int64_t depth = int64_t{screen.bitsPerPixel} * screen.planes;
        if (depth == kTrueColorDepth)
            return int32_t{-1};
        if (depth >= kFirstUnrepresentableDepth)
            throw RuntimeError(err::kOverflow);
        // A negative depth gives a fraction of at most 1/2, which rounds (half to even) to 0.
        if (depth < 0)
            return int32_t{0};
        return static_cast<int32_t>(int32_t{1} << depth);
    });
}

bool COSInfo::LargeFonts() const {
    return ui::ReportingFailures("LargeFonts", false,
                                 [] { return ui::Ui().Screen().logicalDpiX == kLargeFontsDpi; });
}

void COSInfo::GetWorkArea(int16_t& intLeft, int16_t& intTop, int16_t& intWidth,
                          int16_t& intHeight) const {
    ui::ReportingFailures("GetWorkArea", 0, [&] {
        const ui::ScreenFacts screen = ui::Ui().Screen();
        // Assigned one after another: an overflow leaves the earlier arguments assigned.
        intLeft = ToInteger(screen.workLeft);
        intTop = ToInteger(screen.workTop);
        intWidth = ToInteger(int64_t{screen.workRight} - screen.workLeft);
        intHeight = ToInteger(int64_t{screen.workBottom} - screen.workTop);
        return 0;
    });
}

// ---- Private helpers ----

std::string COSInfo::TrimNulls(const std::string& text) {
    return ui::ReportingFailures("TrimNulls", std::string(), [&] {
        const size_t nul = text.find('\0');
        if (nul == std::string::npos)
            return text;
        const size_t position = CharLength(std::string_view(text).substr(0, nul)) + 1;
        if (position > kLargestNulPosition)
            throw RuntimeError(err::kOverflow);
        return text.substr(0, nul);
    });
}

Variant COSInfo::RegistryGetKeyValue(int32_t hKeyRoot, const std::string& strKeyName,
                                     const std::string& strValueName) {
    return ui::ReportingFailures("RegistryGetKeyValue", Variant{}, [&]() -> Variant {
        regapi::KeyHandle key;
        if (key.Open(hKeyRoot, ToAnsi(strKeyName), regapi::KEY_QUERY_VALUE) != regapi::kSuccess)
            return Empty{};
        const std::string name = ToAnsi(strValueName);
        uint32_t type = 0;
        uint32_t size = 0;
        if (regapi::QueryValue(key.Get(), name, &type, nullptr, &size) != regapi::kSuccess)
            return Empty{};

        switch (type) {
        case REG_SZ: {
            if (size == 0)
                return std::string();
            std::string buffer(size, '\0');
            uint32_t read = size;
            if (regapi::QueryValue(key.Get(), name, &type,
                                   reinterpret_cast<uint8_t*>(buffer.data()),
                                   &read) != regapi::kSuccess)
                return Empty{};
            return TrimNulls(FromAnsi(buffer));
        }
        case REG_BINARY: {
            if (size == 0)
                return Empty{};
            // Indexed 0 to size: one element more than the data, the last one left 0.
            ByteArray bytes(size_t{size} + 1, 0);
            uint32_t read = size;
            if (regapi::QueryValue(key.Get(), name, &type, bytes.data(), &read) != regapi::kSuccess)
                return Empty{};
            return bytes;
        }
        case REG_DWORD: {
            uint32_t raw = 0;
            uint32_t read = sizeof raw;
            if (regapi::QueryValue(key.Get(), name, &type, reinterpret_cast<uint8_t*>(&raw),
                                   &read) != regapi::kSuccess)
                return Empty{};
            return static_cast<int32_t>(raw);
        }
        default:
            // REG_EXPAND_SZ, REG_MULTI_SZ and the rest read as Empty.
            return Empty{};
        }
    });
}

// ---- Portable helpers ----

namespace osinfo {
namespace {

// Digits from `pos` as a 32-bit number, stopping at 2147483647; advances pos past them.
int32_t ReadNumber(std::string_view text, size_t& pos) {
    int64_t value = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
        value =
            std::min<int64_t>(value * 10 + (text[pos] - '0'), std::numeric_limits<int32_t>::max());
        ++pos;
    }
    return static_cast<int32_t>(value);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// The value part of an os-release assignment: quotes removed, escapes inside double quotes.
std::string UnquoteValue(std::string_view raw) {
    while (!raw.empty() && IsBlank(raw.back()))
        raw.remove_suffix(1);
    if (raw.size() >= 2 && raw.front() == '\'' && raw.back() == '\'')
        return std::string(raw.substr(1, raw.size() - 2));
    if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"') {
        const std::string_view inner = raw.substr(1, raw.size() - 2);
        std::string value;
        for (size_t i = 0; i < inner.size(); ++i) {
            // Inside double quotes a backslash escapes only $ " \ and `, as in the shell.
            if (inner[i] == '\\' && i + 1 < inner.size() &&
                std::string_view("$\"\\`").find(inner[i + 1]) != std::string_view::npos)
                ++i;
            value += inner[i];
        }
        return value;
    }
    return std::string(raw);
}

struct LanguageName {
    const char* code;
    const char* name;
};

// ISO 639-1 codes (and a few 639-2 codes locales use) with the English names the system gives.
constexpr LanguageName kLanguages[] = {
    {"af", "Afrikaans"},  {"am", "Amharic"},     {"ar", "Arabic"},
    {"as", "Assamese"},   {"ast", "Asturian"},   {"az", "Azerbaijani"},
    {"be", "Belarusian"}, {"bg", "Bulgarian"},   {"bn", "Bengali"},
    {"bo", "Tibetan"},    {"br", "Breton"},      {"bs", "Bosnian"},
    {"ca", "Catalan"},    {"co", "Corsican"},    {"cs", "Czech"},
    {"cy", "Welsh"},      {"da", "Danish"},      {"de", "German"},
    {"dv", "Divehi"},     {"el", "Greek"},       {"en", "English"},
    {"eo", "Esperanto"},  {"es", "Spanish"},     {"et", "Estonian"},
    {"eu", "Basque"},     {"fa", "Persian"},     {"fi", "Finnish"},
    {"fil", "Filipino"},  {"fo", "Faroese"},     {"fr", "French"},
    {"fy", "Frisian"},    {"ga", "Irish"},       {"gd", "Scottish Gaelic"},
    {"gl", "Galician"},   {"gu", "Gujarati"},    {"ha", "Hausa"},
    {"he", "Hebrew"},     {"hi", "Hindi"},       {"hr", "Croatian"},
    {"hu", "Hungarian"},  {"hy", "Armenian"},    {"id", "Indonesian"},
    {"ig", "Igbo"},       {"is", "Icelandic"},   {"it", "Italian"},
    {"iu", "Inuktitut"},  {"ja", "Japanese"},    {"ka", "Georgian"},
    {"kk", "Kazakh"},     {"kl", "Greenlandic"}, {"km", "Khmer"},
    {"kn", "Kannada"},    {"ko", "Korean"},      {"ku", "Kurdish"},
    {"ky", "Kyrgyz"},     {"la", "Latin"},       {"lb", "Luxembourgish"},
    {"lo", "Lao"},        {"lt", "Lithuanian"},  {"lv", "Latvian"},
    {"mi", "Maori"},      {"mk", "Macedonian"},  {"ml", "Malayalam"},
    {"mn", "Mongolian"},  {"mr", "Marathi"},     {"ms", "Malay"},
    {"mt", "Maltese"},    {"my", "Burmese"},     {"nb", "Norwegian"},
    {"ne", "Nepali"},     {"nl", "Dutch"},       {"nn", "Norwegian (Nynorsk)"},
    {"no", "Norwegian"},  {"oc", "Occitan"},     {"or", "Odia"},
    {"pa", "Punjabi"},    {"pl", "Polish"},      {"ps", "Pashto"},
    {"pt", "Portuguese"}, {"qu", "Quechua"},     {"rm", "Romansh"},
    {"ro", "Romanian"},   {"ru", "Russian"},     {"rw", "Kinyarwanda"},
    {"sa", "Sanskrit"},   {"sd", "Sindhi"},      {"se", "Sami"},
    {"si", "Sinhala"},    {"sk", "Slovak"},      {"sl", "Slovenian"},
    {"so", "Somali"},     {"sq", "Albanian"},    {"sr", "Serbian"},
    {"st", "Sesotho"},    {"sv", "Swedish"},     {"sw", "Swahili"},
    {"ta", "Tamil"},      {"te", "Telugu"},      {"tg", "Tajik"},
    {"th", "Thai"},       {"tk", "Turkmen"},     {"tl", "Tagalog"},
    {"tn", "Setswana"},   {"tr", "Turkish"},     {"tt", "Tatar"},
    {"ug", "Uyghur"},     {"uk", "Ukrainian"},   {"ur", "Urdu"},
    {"uz", "Uzbek"},      {"vi", "Vietnamese"},  {"wa", "Walloon"},
    {"wo", "Wolof"},      {"xh", "isiXhosa"},    {"yi", "Yiddish"},
    {"yo", "Yoruba"},     {"zh", "Chinese"},     {"zu", "isiZulu"},
};

std::string HexText(uint64_t value) {
    char buffer[17];
    std::snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(value));
    return buffer;
}

} // namespace

KernelVersion ParseKernelRelease(std::string_view release) {
    KernelVersion version;
    int32_t* fields[] = {&version.major, &version.minor, &version.patch};
    size_t pos = 0;
    for (size_t i = 0; i < std::size(fields); ++i) {
        if (pos >= release.size() || !std::isdigit(static_cast<unsigned char>(release[pos])))
            break;
        *fields[i] = ReadNumber(release, pos);
        if (pos >= release.size() || release[pos] != '.')
            break;
        ++pos;
    }
    return version;
}

std::string PrettyNameFromOsRelease(std::string_view fileText) {
    constexpr std::string_view kKey = "PRETTY_NAME=";
    std::optional<std::string> prettyName;
    size_t start = 0;
    while (start <= fileText.size()) {
        size_t end = fileText.find('\n', start);
        if (end == std::string_view::npos)
            end = fileText.size();
        std::string_view line = fileText.substr(start, end - start);
        while (!line.empty() && IsBlank(line.front()))
            line.remove_prefix(1);
        // The last assignment wins, as when the file is read by a shell.
        if (line.substr(0, kKey.size()) == kKey)
            prettyName = UnquoteValue(line.substr(kKey.size()));
        start = end + 1;
    }
    return prettyName.value_or("Linux");
}

std::string LanguageNameFromLocale(std::string_view localeName) {
    const std::string_view language = localeName.substr(0, localeName.find_first_of("_.@"));
    if (language.empty() || language == "C" || language == "POSIX")
        return "English";
    std::string code;
    for (const char c : language)
        code += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const LanguageName& entry : kLanguages) {
        if (code == entry.code)
            return entry.name;
    }
    return std::string(language);
}

std::string GuidTextFromBytes(const std::array<uint8_t, 16>& bytes) {
    const uint32_t data1 = uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
                           uint32_t{bytes[3]} << 24;
    const uint32_t data2 = uint32_t{bytes[4]} | uint32_t{bytes[5]} << 8;
    const uint32_t data3 = uint32_t{bytes[6]} | uint32_t{bytes[7]} << 8;
    std::string text = "{" + HexText(data1) + "-" + HexText(data2) + "-" + HexText(data3) + "-";
    // The eight final bytes follow one another without separator and without padding.
    for (size_t i = 8; i < bytes.size(); ++i)
        text += HexText(bytes[i]);
    return text + "}";
}

std::string TempFileName(std::string_view folder, std::string_view prefix, uint32_t unique) {
    constexpr size_t kPrefixCharacters = 3;
    return std::string(folder) + LeftChars(prefix, kPrefixCharacters) + HexText(unique) + ".tmp";
}

} // namespace osinfo
} // namespace vellumo
