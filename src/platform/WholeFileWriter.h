// Writing a file whole or not at all: the bytes go to a new temporary file in the target's folder,
// which takes the target's name only when everything was written and flushed to the disk.
#pragma once

#include <string>
#include <string_view>

namespace vellumo {

// One replacement of one file. Until Commit succeeds the target is untouched: an existing file
// keeps its old contents, a missing one stays missing. The target itself is never opened, so a
// symbolic link in its place is replaced by the new file, never written through. Dropping the
// writer without a successful Commit removes the temporary file.
//
// The new file takes the permission bits of the regular file it replaces; a new name gets the
// usual mode for a new file (0666 less the umask on Linux). Paths are UTF-8.
class WholeFileWriter {
public:
    // Creates the temporary file. A target that is a folder, a folder that does not exist or may
    // not be written, leave the writer closed with the reason in Error().
    explicit WholeFileWriter(std::string target);
    ~WholeFileWriter();
    WholeFileWriter(const WholeFileWriter&) = delete;
    WholeFileWriter& operator=(const WholeFileWriter&) = delete;

    [[nodiscard]] bool IsOpen() const { return handle_ != kClosed; }
    // Appends the bytes. False (with Error() set; the writer is then closed) on any failure, a
    // full disk among them.
    [[nodiscard]] bool Write(std::string_view bytes);
    // Flushes the file to the disk and gives it the target's name. False when that fails; the
    // target is then as it was and the temporary file is gone.
    [[nodiscard]] bool Commit();
    // Gives up: the temporary file is removed now, the target stays as it was.
    void Abandon();

    [[nodiscard]] const std::string& Target() const { return target_; }
    // The temporary file's path (in the system's spelling), for a signal handler that must remove
    // it when the process is interrupted; empty when closed.
    [[nodiscard]] const std::string& TemporaryPath() const { return temporary_; }
    // What went wrong, in the system's words ("No space left on device"); the error number
    // (errno on Linux, GetLastError on Windows) in ErrorNumber().
    [[nodiscard]] const std::string& Error() const { return error_; }
    [[nodiscard]] int ErrorNumber() const { return errorNumber_; }

    // Writes `bytes` as the whole of `target`. False with `error` set to the reason when it
    // could not; the target is then untouched.
    [[nodiscard]] static bool WriteWhole(const std::string& target, std::string_view bytes,
                                         std::string& error);

private:
    // A POSIX descriptor or a Windows handle, whichever the platform uses, as an integer.
    using Handle = long long;
    static constexpr Handle kClosed = -1;

    void Fail(int errorNumber);
    void CloseAndRemove();
    // The platform's primitives: the system's words for an error number, closing a handle,
    // removing a file.
    static std::string SystemErrorText(int errorNumber);
    static void CloseSystemHandle(Handle handle);
    static void RemoveSystemFile(const std::string& path);

    std::string target_;
    std::string temporary_;
    Handle handle_ = kClosed;
    std::string error_;
    int errorNumber_ = 0;
    bool committed_ = false;
};

} // namespace vellumo
