// Fuzzes the reader of the recent-files file "mru.ini" (cMRUFileList::MRU_Read and Load from the
// file), the list's members over whatever it read, and a save-and-read-back check.
//
// Input: byte 0 chooses the run (bit 0 debug mode, so every field is logged; bit 1 load through
// Load instead of MRU_Read); the rest is the file's content.
#include "PrivateFolder.h"
#include "diagnostic/modMain.h"
#include "log/modDebug.h"
#include "log/modLog.h"
#include "platform/RuntimeError.h"
#include "platform/cRegistry.h"
#include "settings/cMRUFileList.h"
#include "support/RecordingUi.h"

#include <algorithm>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace vellumo;

constexpr uint8_t kDebug = 1;
constexpr uint8_t kThroughLoad = 2;
constexpr size_t kDebugInputLimit = 2048;
// The members are checked on the first entries only: a maximum read from the file may be huge.
constexpr int32_t kCheckedEntries = 40;

struct Fixture {
    std::string folder;
    ui::RecordingUi ui;
};
Fixture* gFixture = nullptr;

void RemoveFolder() {
    if (gFixture != nullptr) {
        std::error_code ec;
        fs::remove_all(gFixture->folder, ec);
    }
}

// Calls a member that must raise 9 (Subscript out of range) for an index outside the array.
template <typename F> void ExpectSubscriptError(F&& call) {
    try {
        call();
    } catch (const RuntimeError& e) {
        if (e.Number() == err::kSubscriptOutOfRange)
            return;
        std::fprintf(stderr, "error %d instead of 9\n", e.Number());
    }
    std::abort();
}

void CheckMembers(const cMRUFileList& list) {
    const int32_t max = list.MaxFileCount();
    ExpectSubscriptError([&] { (void)list.FILE(0); });
    ExpectSubscriptError([&] { (void)list.MenuCaption(max + 1); });
    ExpectSubscriptError([&] { (void)list.FileExists(max + 1); });
    for (int32_t i = 1; i <= std::min(max, kCheckedEntries); ++i) {
        const std::string path = list.FILE(i);
        if (list.FileExists(i) != !path.empty())
            std::abort();
        const std::string caption = list.MenuCaption(i);
        const std::string prefix = "&" + std::to_string(i) + ")  ";
        if (caption.rfind(prefix, 0) != 0)
            std::abort();
        // A shortened path is "..." and a tail of the path.
        const std::string shown = caption.substr(prefix.size());
        if (shown != path && !(shown.starts_with("...") && path.ends_with(shown.substr(3))))
            std::abort();
    }
}

// An entry that "mru.ini" cannot carry back: the file has no quoting for paths.
bool Writable(const std::string& path) {
    return path.find_first_of(",\r\n\"") == std::string::npos &&
           (path.empty() || (path.front() != ' ' && path.back() != ' '));
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
    modLog::ResetState();
    modMain::ConfigPath = gFixture->folder;
    modMain::LogPath = gFixture->folder + "Log/";
    modDebug::gblnDebugMode = (mode & kDebug) != 0 && size <= kDebugInputLimit;
    gFixture->ui.boxes.clear();

    const std::string path = gFixture->folder + "mru.ini";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    }
    cMRUFileList list;
    cRegistry registry;
    if ((mode & kThroughLoad) != 0) {
        if (!list.Load(false, registry))
            std::abort(); // reading the file reports its own errors; Load itself succeeds
    } else {
        list.MRU_Read();
    }
    if (!gFixture->ui.boxes.empty())
        std::abort();
    if (list.MaxFileCount() >= 1)
        CheckMembers(list);

    // A list whose entries all fit its array and the file's syntax is saved and read back as is.
    const int32_t count = list.FileCount();
    bool writable = count >= 0 && count <= list.MaxFileCount() && count <= kCheckedEntries;
    for (int32_t i = 1; writable && i <= count; ++i)
        writable = Writable(list.FILE(i));
    if (writable) {
        if (!list.Save(false, registry))
            std::abort();
        cMRUFileList again;
        again.MRU_Read();
        bool same = again.MaxFileCount() == list.MaxFileCount() && again.FileCount() == count;
        for (int32_t i = 1; same && i <= count; ++i)
            same = again.FILE(i) == list.FILE(i);
        if (!same)
            std::abort();
    }
    std::error_code ec;
    fs::remove(path, ec);
    if (!modLog::gstrLogFile.empty())
        fs::remove(modLog::gstrLogFile, ec);
    return 0;
}
