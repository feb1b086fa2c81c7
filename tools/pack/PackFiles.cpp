// vellumo-pack's input and output files.
#include "PackFiles.h"

#include "PackSystem.h"
#include "platform/RuntimeError.h"
#include "platform/SameFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace vellumo::pack {

std::string Numbered(const std::string& cause, int errorNumber) {
    return cause + " (error " + std::to_string(errorNumber) + ")";
}

namespace {

namespace fs = std::filesystem;

Failure CannotRead(const std::string& path, int errnoValue, FileAction action) {
    return Failure{
        "cannot read " + path + ": " +
        Numbered(std::strerror(errnoValue), ErrorFromErrno(errnoValue, action).Number())};
}

} // namespace

InputFile::InputFile(std::string path) : path_(std::move(path)), file_(nullptr, &std::fclose) {
    errno = 0;
    file_.reset(std::fopen(path_.c_str(), "rb"));
    if (!file_)
        throw CannotRead(path_, errno, FileAction::kOpenForInput);
    std::error_code ec;
    const fs::path systemPath(path_);
    if (fs::is_directory(systemPath, ec))
        throw Failure{"cannot read " + path_ + ": " +
                      Numbered("it is a folder", err::kPathFileAccessError)};
    if (!fs::is_regular_file(systemPath, ec))
        throw Failure{"cannot read " + path_ + ": " +
                      Numbered("it is not a regular file", err::kPathFileAccessError)};
    length_ = fs::file_size(systemPath, ec);
    if (ec)
        throw CannotRead(path_, ec.value(), FileAction::kOpenForInput);
}

size_t InputFile::Read(uint8_t* destination, size_t count) {
    size_t done = 0;
    while (done < count) {
        const size_t n = std::fread(destination + done, 1, count - done, file_.get());
        done += n;
        if (n == 0) {
            if (std::ferror(file_.get()))
                throw CannotRead(path_, errno, FileAction::kWrite); // 57 for a failed read
            break;
        }
    }
    return done;
}

OutputFile::OutputFile(std::string path) : path_(std::move(path)) {
    TrackTemporaryFile([this] {
        writer_ = std::make_unique<WholeFileWriter>(SystemPathToUtf8(path_));
        return writer_->IsOpen() ? writer_->TemporaryPath() : std::string();
    });
    if (!writer_->IsOpen())
        Fail(true);
}

OutputFile::~OutputFile() {
    writer_->Abandon(); // nothing after a successful Commit
    ForgetTemporaryFile();
}

void OutputFile::Write(std::string_view bytes) {
    StopIfInterrupted();
    if (!writer_->Write(bytes))
        Fail(false);
}

void OutputFile::Commit() {
    StopIfInterrupted();
    if (!writer_->Commit())
        Fail(false);
    ForgetTemporaryFile();
}

void OutputFile::Fail(bool creating) {
    ForgetTemporaryFile(); // the writer has removed it
    throw Failure{"cannot write " + path_ + ": " +
                  Numbered(writer_->Error(), RunTimeWriteError(writer_->ErrorNumber(), creating))};
}

void RefuseOutputOverInput(const std::string& input, const std::string& output) {
    if (IsSameFile(SystemPathToUtf8(input), SystemPathToUtf8(output)))
        throw Failure{"the output " + output + " is the input file itself: " +
                      Numbered("File already open", err::kFileAlreadyOpen)};
}

} // namespace vellumo::pack
