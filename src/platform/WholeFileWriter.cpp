// The parts of the whole-file writer that are the same on every platform.
#include "platform/WholeFileWriter.h"

namespace vellumo {

WholeFileWriter::~WholeFileWriter() {
    if (!committed_)
        CloseAndRemove();
}

void WholeFileWriter::Abandon() {
    CloseAndRemove();
}

void WholeFileWriter::Fail(int errorNumber) {
    errorNumber_ = errorNumber;
    error_ = SystemErrorText(errorNumber);
    CloseAndRemove();
}

void WholeFileWriter::CloseAndRemove() {
    if (handle_ != kClosed) {
        CloseSystemHandle(handle_);
        handle_ = kClosed;
    }
    if (!temporary_.empty()) {
        RemoveSystemFile(temporary_);
        temporary_.clear();
    }
}

bool WholeFileWriter::WriteWhole(const std::string& target, std::string_view bytes,
                                 std::string& error) {
    WholeFileWriter writer(target);
    if (writer.IsOpen() && writer.Write(bytes) && writer.Commit())
        return true;
    error = writer.Error();
    return false;
}

} // namespace vellumo
