// The one-call form of the whole-file writer, the same on every platform.
#include "platform/WholeFileWriter.h"

namespace vellumo {

bool WholeFileWriter::WriteWhole(const std::string& target, std::string_view bytes,
                                 std::string& error) {
    WholeFileWriter writer(target);
    if (writer.IsOpen() && writer.Write(bytes) && writer.Commit())
        return true;
    error = writer.Error();
    return false;
}

} // namespace vellumo
