// Fuzzes the option-file readers: the field reader alone over any bytes, then Config_Read or
// Aux_Read over an options.ini / auxiliary.ini holding them, and a save-and-read-back check.
//
// Input: byte 0 chooses the run (bit 0 auxiliary.ini instead of options.ini, bit 1 silent,
// bit 2 debug mode, so every field is logged); the rest is the file's content.
#include "PrivateFolder.h"
#include "diagnostic/modMain.h"
#include "log/ReportError.h"
#include "log/modDebug.h"
#include "log/modLog.h"
#include "platform/RuntimeError.h"
#include "settings/OptionFieldReader.h"
#include "settings/OptionTables.h"
#include "settings/modOptions.h"
#include "support/RecordingUi.h"

#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <streambuf>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace vellumo;

constexpr uint8_t kAuxFile = 1;
constexpr uint8_t kSilent = 2;
constexpr uint8_t kDebug = 4;
// Debug mode opens the log once per field: keep it to inputs that stay fast.
constexpr size_t kDebugInputLimit = 2048;

struct Fixture {
    std::string folder; // a private temporary folder, with a trailing "/"
    ui::RecordingUi ui;
};
Fixture* gFixture = nullptr;

// The input as a read-only stream, without a copy.
class MemoryBuffer : public std::streambuf {
public:
    MemoryBuffer(const uint8_t* data, size_t size) {
        char* begin = const_cast<char*>(reinterpret_cast<const char*>(data));
        setg(begin, begin, begin + size);
    }
};

void RemoveFolder() {
    if (gFixture != nullptr) {
        std::error_code ec;
        fs::remove_all(gFixture->folder, ec);
    }
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// The field reader alone: every field consumes input, the fields never hold more bytes than the
// input has, and only an input longer than the longest field can end the reading early.
void CheckFieldReader(const uint8_t* data, size_t size) {
    MemoryBuffer buffer(data, size);
    settings::OptionFieldReader reader(buffer);
    size_t fields = 0;
    size_t bytes = 0;
    while (!reader.AtEnd()) {
        try {
            bytes += reader.ReadField().size();
        } catch (const RuntimeError& e) {
            // Only a field longer than any value ends the reading early.
            if (e.Number() != err::kOutOfMemory ||
                size <= settings::OptionFieldReader::kLongestField)
                std::abort();
            return;
        }
        if (++fields > size || bytes > size)
            std::abort(); // a field that consumed nothing: the file's read loop would never end
    }
    try {
        (void)reader.ReadField();
        std::abort(); // reading past the end must raise "Input past end of file"
    } catch (const RuntimeError& e) {
        if (e.Number() != err::kInputPastEndOfFile)
            std::abort();
    }
}

void ResetPaths() {
    const std::string& folder = gFixture->folder;
    modMain::ConfigPath = folder;
    modMain::DataPath = folder + "Data/";
    modMain::DefaultDataPath = modMain::DataPath;
    modMain::AutoBackupPath = modMain::DataPath + "Backup/";
    modMain::DefaultAutoBackupPath = modMain::AutoBackupPath;
    modMain::DefaultOneClickBackupPath = modMain::AutoBackupPath;
    modMain::LogPath = folder + "Log/";
    modMain::gstrDefaultFontName = "Calibri";
    modMain::gcurDefaultFontSize = Currency::FromWhole(11);
    modMain::gstrDefaultFixedFontName = "Courier New";
    modMain::gintDefaultFixedFontSize = 10;
    modMain::glngDefaultBackColorEdit = 16777215;
    modMain::glngDefaultBackColorTree = 16777215;
}

// A text value that the writer must quote but cannot (it holds a double quote itself): the one
// value the files do not carry back.
bool CannotRoundTrip(const modOptions::detail::OptionEntry& entry) {
    if (!modOptions::detail::IsText(entry))
        return false;
    const std::string& text = *std::get<std::string*>(entry.target);
    const bool needsQuotes = text.find_first_of(",\r\n") != std::string::npos ||
                             (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    return needsQuotes && text.find('"') != std::string::npos;
}

std::vector<std::string> Snapshot(std::span<const modOptions::detail::OptionEntry> table) {
    std::vector<std::string> values;
    for (const auto& entry : table)
        values.push_back(CannotRoundTrip(entry) ? std::string("<skip>")
                                                : modOptions::detail::WrittenValue(entry));
    return values;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::setlocale(LC_ALL, "C.UTF-8");
    static Fixture fixture;
    const std::string pattern = vellumo::fuzz::MakePrivateFolder();
    fixture.folder = pattern + "/";
    fs::create_directories(fixture.folder + "Log");
    gFixture = &fixture;
    std::atexit(RemoveFolder);
    ui::SetUi(&fixture.ui);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const uint8_t mode = data[0];
    const uint8_t* content = data + 1;
    const size_t contentSize = size - 1;
    CheckFieldReader(content, contentSize);

    const bool aux = (mode & kAuxFile) != 0;
    const bool silent = (mode & kSilent) != 0;
    modOptions::ResetState();
    modLog::ResetState();
    ResetPaths();
    modDebug::gblnDebugMode = (mode & kDebug) != 0 && contentSize <= kDebugInputLimit;
    gFixture->ui.boxes.clear();

    const std::string path = gFixture->folder + (aux ? "auxiliary.ini" : "options.ini");
    WriteFile(path, content, contentSize);
    modOptions::Config_RestoreDefaults();
    modOptions::Aux_RestoreDefaults();
    const bool read =
        aux ? modOptions::Aux_Read(silent, false) : modOptions::Config_Read(silent, false);
    if (!gFixture->ui.boxes.empty())
        std::abort(); // the settings store reports through ReportError and the log only

    // What was read is saved and read back unchanged (the file a successful read left behind is
    // rewritten in full, so the second read sets every entry).
    if (read) {
        const auto table = aux ? modOptions::detail::AuxTable() : modOptions::detail::ConfigTable();
        const std::vector<std::string> before = Snapshot(table);
        if (aux)
            modOptions::Aux_Save(true);
        else
            modOptions::Config_Save(true);
        modOptions::ResetState();
        ResetPaths();
        const bool again =
            aux ? modOptions::Aux_Read(true, true) : modOptions::Config_Read(true, true);
        const std::vector<std::string> after = Snapshot(table);
        if (!again)
            std::abort();
        for (size_t i = 0; i < before.size(); ++i) {
            if (before[i] != "<skip>" && before[i] != after[i]) {
                std::fprintf(stderr, "%s: \"%s\" read back as \"%s\"\n",
                             std::string(table[i].key).c_str(), before[i].c_str(),
                             after[i].c_str());
                std::abort();
            }
        }
    }
    std::error_code ec;
    fs::remove(path, ec);
    if (!modLog::gstrLogFile.empty())
        fs::remove(modLog::gstrLogFile, ec);
    return 0;
}
