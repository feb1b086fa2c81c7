// Fuzzes everything that reads registry values the program did not write itself: values of any
// type and size, written raw with regapi::SetValue into a store in a private XDG_CONFIG_HOME, then
// read through modRegistry's getters, cRegistry (Value, enumeration, a write-back check), the
// settings read (Settings_Read_Reg), the recent-files list (Load from "\Files") and the debug
// switch.
//
// Input: a series of records. Each record: a key byte (one of the program's keys, or a raw key
// path below HKEY_CURRENT_USER that follows as a length byte and its characters), a name byte
// (one of that key's value names, or a raw name as a length byte and its characters), a type
// byte (0 to 11, or 0xFF followed by any 32-bit type), a 16-bit little-endian size and the data.
#include "PrivateFolder.h"
#include "RegistryCleanup.h"
#include "diagnostic/modMain.h"
#include "log/modDebug.h"
#include "log/modLog.h"
#include "platform/RegistryApi.h"
#include "platform/RegistryKeyHandle.h"
#include "platform/RuntimeError.h"
#include "platform/cRegistry.h"
#include "platform/modRegistry.h"
#include "settings/cMRUFileList.h"
#include "settings/modMisc.h"
#include "settings/modOptions.h"
#include "support/RecordingUi.h"

#include <array>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace vellumo;

constexpr size_t kMaxRecords = 24;
constexpr uint32_t kMaxDataSize = 4096;
constexpr uint8_t kRawType = 0xFF;

constexpr std::string_view kRoot = "Software\\Kestrova\\Vellumo";

struct ProgramKey {
    std::string_view subKey;
    std::vector<std::string_view> names;
};

const std::vector<ProgramKey>& ProgramKeys() {
    static const std::vector<ProgramKey> keys = {
        {"\\Options",
         {"PasteAsText", "AutoBackup", "OptViewBars", "SendDelToRecycleBin", "DataPath",
          "AutoBackupPath", "OneClickBackupPath", "AutoStartCalendar", "BackColorEdit",
          "BackColorTree", "TreeCustomField1", "TreeCustomField2", "OpenPathVlm", "SavePathVlm",
          "PromptForNodeDel", "PreserveState", "DontPromptForCompact", "AutoSave", "SavedInReg"}},
        {"\\Options\\DateTime", {"FormatDate", "FormatTime", "Format"}},
        {"\\Options\\Fonts\\Tree",
         {"Name", "Size", "Italic", "Bold", "Strikeout", "Underline", "Color"}},
        {"\\Options\\Fonts\\Edit", {"Name", "Size", "Bold", "Color"}},
        {"\\Options\\Fonts\\DateTime", {"Name", "Size", "Underline", "Color"}},
        {"\\Options\\Fonts\\QuickFormat", {"Name", "Size", "Strikeout", "Color"}},
        {"\\Files",
         {"MaxCount", "Count", "File1", "File2", "File3", "File4", "File5", "File6", "File7"}},
        {"\\Debug", {"On"}},
        {"", {""}},
    };
    return keys;
}

struct Fixture {
    std::string home;
    std::string existingFile; // a file that exists, for the recent-files entries
    ui::RecordingUi ui;
};
Fixture* gFixture = nullptr;

void RemoveHome() {
    if (gFixture != nullptr) {
        std::error_code ec;
        fs::remove_all(gFixture->home, ec);
    }
}

// Reads the input front to back; past the end it yields zeros and empty texts.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    [[nodiscard]] bool AtEnd() const { return pos_ >= size_; }
    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::string Bytes(size_t n) {
        n = std::min(n, size_ - std::min(pos_, size_));
        std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n;
        return s;
    }
    uint32_t Word32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<uint32_t>(Byte()) << (8 * i);
        return v;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

struct Written {
    std::string key;
    std::string name;
    uint32_t type = 0;
    uint32_t size = 0;
};

void ResetGlobals() {
    modOptions::ResetState();
    modLog::ResetState();
    modMain::DataPath = gFixture->home + "/Data/";
    modMain::DefaultDataPath = modMain::DataPath;
    modMain::DefaultAutoBackupPath = modMain::DataPath + "Backup/";
    modMain::DefaultOneClickBackupPath = modMain::DefaultAutoBackupPath;
    modMain::LogPath = gFixture->home + "/Log/";
    modMain::gstrDefaultFontName = "Calibri";
    modMain::gcurDefaultFontSize = Currency::FromWhole(11);
    modMain::gstrDefaultFixedFontName = "Courier New";
    modMain::gintDefaultFixedFontSize = 10;
    modMain::glngDefaultBackColorEdit = 16777215;
    modMain::glngDefaultBackColorTree = 16777215;
    modDebug::gblnDebugMode = false;
}

// One value read through both layers. A later record may have replaced the value (names
// compare without regard to case): the store says what it holds now.
void ReadBack(Written w) {
    constexpr std::string_view kDefault = "<default>";
    {
        regapi::KeyHandle key;
        if (key.Open(HKEY_CURRENT_USER, w.key, regapi::KEY_QUERY_VALUE) != regapi::kSuccess ||
            regapi::QueryValue(key.Get(), w.name, &w.type, nullptr, &w.size) != regapi::kSuccess)
            std::abort(); // written a moment ago
    }
    const std::string text =
        modRegistry::GetRegString(HKEY_CURRENT_USER, w.key, w.name, std::string(kDefault));
    if (w.type != REG_SZ && text != kDefault)
        std::abort(); // only REG_SZ is a text for GetRegString
    const int32_t number = modRegistry::GetRegLong(HKEY_CURRENT_USER, w.key, w.name, -12345);
    if (w.type != REG_DWORD && number != -12345)
        std::abort();

    cRegistry reg;
    reg.SetClassKey(HKEY_CURRENT_USER);
    reg.SetSectionKey(w.key);
    reg.SetValueKey(w.name);
    reg.SetDefault(std::string(kDefault));
    const Variant value = reg.Value();
    if (std::holds_alternative<std::string>(value) && std::get<std::string>(value) == kDefault)
        return; // the key path is one the store refuses (an empty level and so on)
    if (static_cast<uint32_t>(reg.ValueType()) != w.type)
        std::abort(); // a successful read sets ValueType to the type found
    if (const auto* bytes = std::get_if<ByteArray>(&value)) {
        if (bytes->size() != static_cast<size_t>(w.size) + 1 || bytes->back() != 0)
            std::abort(); // byte arrays hold one element more than the data
    }

    // Written back as read and read again: texts without "%" (which would be stored for
    // expansion) and four-byte numbers come back unchanged.
    const bool plainText = (w.type == REG_SZ && std::holds_alternative<std::string>(value) &&
                            std::get<std::string>(value).find('%') == std::string::npos);
    const bool dword = (w.type == REG_DWORD && w.size == 4);
    if (!plainText && !dword)
        return;
    cRegistry copy;
    copy.SetClassKey(HKEY_CURRENT_USER);
    copy.SetSectionKey(std::string(kRoot) + "\\Copy");
    copy.SetValueKey("Copy");
    copy.SetValueType(reg.ValueType());
    try {
        copy.SetValue(value);
    } catch (const RuntimeError& e) {
        std::fprintf(stderr, "write-back raised %d %s\n", e.Number(), e.Description().c_str());
        std::abort();
    }
    if (copy.Value() != value)
        std::abort();
}

void ReadEverything(const std::vector<Written>& written) {
    for (const auto& w : written)
        ReadBack(w);

    cRegistry reg;
    reg.SetClassKey(HKEY_CURRENT_USER);
    for (const auto& key : ProgramKeys()) {
        reg.SetSectionKey(std::string(kRoot) + std::string(key.subKey));
        std::vector<std::string> names;
        int32_t count = 0;
        reg.EnumerateValues(names, count);
        std::vector<std::string> sections;
        try {
            reg.EnumerateSections(sections, count);
        } catch (const RuntimeError&) {
            std::abort(); // enumerating an existing or missing key does not fail
        }
    }

    // The settings as the second run of the program reads them.
    ResetGlobals();
    if (!modOptions::Settings_Read_Reg())
        std::abort();
    (void)modOptions::Settings_SavedInRegistry();

    // The recent-files list as the window loads it.
    cMRUFileList list;
    std::unique_ptr<cRegistry> listRegistry;
    modOptions::gblnMRUUseRegistry = true;
    modMisc::InitializeMRU(list, listRegistry);
    for (int32_t i = 1; i <= 4; ++i)
        (void)modOptions::GetFileToOpen(list.FILE(i));

    // The debug switch (its notice goes to the recording UI).
    modDebug::InitializeDebugging();
    modDebug::gblnDebugMode = false;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::setlocale(LC_ALL, "C.UTF-8");
    static Fixture fixture;
    const std::string pattern = vellumo::fuzz::MakePrivateFolder();
    fixture.home = pattern;
    fs::create_directories(fixture.home + "/.config");
    fs::create_directories(fixture.home + "/Log");
    fixture.existingFile = fixture.home + "/recent.txt";
    std::fclose(std::fopen(fixture.existingFile.c_str(), "w"));
    setenv("HOME", fixture.home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (fixture.home + "/.config").c_str(), 1);
    setenv("XDG_DATA_HOME", (fixture.home + "/.local/share").c_str(), 1);
    gFixture = &fixture;
    std::atexit(RemoveHome);
    ui::SetUi(&fixture.ui);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in(data, size);
    std::vector<Written> written;
    const auto& keys = ProgramKeys();
    while (!in.AtEnd() && written.size() < kMaxRecords) {
        Written w;
        const uint8_t keyByte = in.Byte();
        const ProgramKey* known = keyByte < keys.size() ? &keys[keyByte] : nullptr;
        w.key = known != nullptr ? std::string(kRoot) + std::string(known->subKey)
                                 : in.Bytes(in.Byte());
        const uint8_t nameByte = in.Byte();
        if (known != nullptr && nameByte < known->names.size())
            w.name = known->names[nameByte];
        else if (known != nullptr && nameByte == 0xFE)
            w.name = "File1"; // the recent-file entries want an existing path: see below
        else
            w.name = in.Bytes(in.Byte());
        const uint8_t typeByte = in.Byte();
        w.type = typeByte == kRawType ? in.Word32() : typeByte % (REG_QWORD + 1);
        std::string bytes =
            in.Bytes(std::min<uint32_t>(in.Byte() | (in.Byte() << 8), kMaxDataSize));
        if (nameByte == 0xFE)
            bytes = gFixture->existingFile + bytes;
        w.size = static_cast<uint32_t>(bytes.size());

        regapi::KeyHandle key;
        if (key.Create(HKEY_CURRENT_USER, w.key, regapi::KEY_ALL_ACCESS) != regapi::kSuccess)
            continue; // a path the registry refuses: nothing to read
        const long status = regapi::SetValue(
            key.Get(), w.name, w.type, reinterpret_cast<const uint8_t*>(bytes.data()), w.size);
        if (status == regapi::kSuccess)
            written.push_back(w);
    }

    gFixture->ui.boxes.clear();
    ReadEverything(written);
    // Whatever the reads wrote (the DateTime font, the copies, the debug log) goes with the rest.
    fuzz::DeleteTree(HKEY_CURRENT_USER, "");
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(gFixture->home + "/Log", ec))
        fs::remove(entry.path(), ec);
    return 0;
}
