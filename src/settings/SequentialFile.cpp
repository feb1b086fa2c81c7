// Sequential files of the settings store over the platform's stream files.
#include "settings/SequentialFile.h"

#include "platform/PathSeparator.h"
#include "platform/RuntimeError.h"
#include "platform/modFileA.h"

namespace vellumo::settings {

bool SettingsFileExists(const std::string& path) {
    return IsRootedPath(path) && modFileA::FileExists(path);
}

InputFile::InputFile(const std::string& path) {
    if (!IsRootedPath(path))
        throw RuntimeError(err::kFileNotFound);
    file_ = OpenStdioFile(path, StdioMode::kInput);
    buffer_ = std::make_unique<char[]>(kBufferSize);
}

InputFile::int_type InputFile::underflow() {
    if (gptr() < egptr())
        return traits_type::to_int_type(*gptr());
    if (!file_)
        return traits_type::eof();
    const size_t n = ReadStdioFile(file_.get(), buffer_.get(), kBufferSize);
    if (n == 0)
        return traits_type::eof();
    setg(buffer_.get(), buffer_.get(), buffer_.get() + n);
    return traits_type::to_int_type(*gptr());
}

void OutputFile::Open(const std::string& path) {
    if (!IsRootedPath(path))
        throw RuntimeError(err::kPathNotFound);
    file_ = OpenStdioFile(path, StdioMode::kPrivateOutput);
}

void OutputFile::Write(std::string_view bytes) {
    WriteStdioFile(file_.get(), bytes);
}

void OutputFile::Close() {
    CloseStdioFile(file_.release());
}

} // namespace vellumo::settings
