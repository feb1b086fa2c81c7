// The whole-file writer on Windows: a new file beside the target (CREATE_NEW under a fresh name),
// FlushFileBuffers, then MoveFileEx over the target.
#include "platform/WholeFileWriter.h"

#include "platform/CodePage.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace vellumo {
namespace {

// Fresh names tried before giving up: each is taken only when it does not exist yet.
constexpr int kNameAttempts = 100;
constexpr size_t kKeptNameBytes = 200;

std::string SystemMessage(DWORD code) {
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text =
        length > 0 && buffer != nullptr ? std::string(buffer, length) : std::string();
    LocalFree(buffer);
    while (!text.empty() &&
           (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    if (text.empty())
        text = "system error " + std::to_string(code);
    return FromAnsi(text);
}

std::string TemporaryName(const std::string& systemTarget, unsigned attempt) {
    const size_t slash = systemTarget.find_last_of("\\/");
    const std::string folder =
        slash == std::string::npos ? std::string() : systemTarget.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? systemTarget : systemTarget.substr(slash + 1);
    if (name.size() > kKeptNameBytes)
        name.resize(kKeptNameBytes);
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08lx%04x.tmp",
                  static_cast<unsigned long>(GetTickCount() ^ GetCurrentProcessId()), attempt);
    return folder + "~" + name + suffix;
}

} // namespace

WholeFileWriter::WholeFileWriter(std::string target) : target_(std::move(target)) {
    const std::string systemTarget = PathToSystem(target_);
    if (systemTarget.empty()) {
        Fail(ERROR_PATH_NOT_FOUND);
        return;
    }
    const DWORD attributes = GetFileAttributesA(systemTarget.c_str());
    if (systemTarget.back() == '\\' || systemTarget.back() == '/' ||
        (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)) {
        Fail(ERROR_DIRECTORY);
        return;
    }
    for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string name = TemporaryName(systemTarget, attempt);
        const HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            handle_ = reinterpret_cast<Handle>(file);
            temporary_ = std::move(name);
            return;
        }
        const DWORD failure = GetLastError();
        if (failure != ERROR_FILE_EXISTS && failure != ERROR_ALREADY_EXISTS) {
            Fail(static_cast<int>(failure));
            return;
        }
    }
    Fail(ERROR_FILE_EXISTS);
}

bool WholeFileWriter::Write(std::string_view bytes) {
    if (!IsOpen())
        return false;
    const HANDLE file = reinterpret_cast<HANDLE>(handle_);
    constexpr size_t kLargestWrite = 1u << 30;
    while (!bytes.empty()) {
        const DWORD chunk =
            static_cast<DWORD>(bytes.size() < kLargestWrite ? bytes.size() : kLargestWrite);
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
            Fail(static_cast<int>(GetLastError()));
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

bool WholeFileWriter::Commit() {
    if (!IsOpen())
        return false;
    const HANDLE file = reinterpret_cast<HANDLE>(handle_);
    if (!FlushFileBuffers(file)) {
        Fail(static_cast<int>(GetLastError()));
        return false;
    }
    CloseHandle(file);
    handle_ = kClosed;
    if (!MoveFileExA(temporary_.c_str(), PathToSystem(target_).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        Fail(static_cast<int>(GetLastError()));
        return false;
    }
    temporary_.clear();
    committed_ = true;
    return true;
}

std::string WholeFileWriter::SystemErrorText(int errorNumber) {
    return SystemMessage(static_cast<DWORD>(errorNumber));
}

void WholeFileWriter::CloseSystemHandle(Handle handle) {
    CloseHandle(reinterpret_cast<HANDLE>(handle));
}

void WholeFileWriter::RemoveSystemFile(const std::string& path) {
    DeleteFileA(path.c_str());
}

} // namespace vellumo
