// vellumo-reg's messages and questions.
#include "RegConsole.h"

#include "platform/RegistryApi.h"

#include <istream>
#include <ostream>

namespace vellumo::regtool {
namespace {

// The longest answer line read at a question. A yes or no needs a few characters; anything
// longer is not an answer, and reading no further keeps endless input (/dev/zero) from filling
// memory.
constexpr size_t kLongestAnswer = 4096;
// A person who has not answered after this many questions is not going to; a pipe that never
// says yes or no (`yes x |`) must not keep the tool asking for ever.
constexpr int kMostQuestions = 100;

} // namespace

int Console::UsageHint(std::string_view operation) {
    err_ << "Type \"REG " << operation << (operation.empty() ? "" : " ") << "/?\" for usage.\n";
    return kExitFailure;
}

int Console::InvalidSyntax(std::string_view operation) {
    err_ << "ERROR: Invalid syntax.\n";
    return UsageHint(operation);
}

int Console::InvalidKeyName(std::string_view operation) {
    err_ << kInvalidKeyName << '\n';
    return UsageHint(operation);
}

int Console::Completed() {
    out_ << kCompleted << '\n';
    return kExitSuccess;
}

int Console::Cancelled() {
    out_ << kCancelled << '\n';
    return kExitSuccess;
}

int Console::Failure(long status) {
    switch (status) {
    case regapi::kFileNotFound:
        err_ << kNotFound << '\n';
        break;
    case regapi::kAccessDenied:
        err_ << "ERROR: Access is denied.\n";
        break;
    case regapi::kBadPathname:
        err_ << kInvalidKeyName << '\n';
        break;
    case regapi::kInvalidParameter:
        err_ << kInvalidParameter << '\n';
        break;
    case regapi::kMoreData:
        err_ << "ERROR: More data is available.\n";
        break;
    case regapi::kBadDatabase:
        err_ << "ERROR: The configuration registry database is corrupt.\n";
        break;
    case regapi::kBusy:
        err_ << "ERROR: The requested resource is in use.\n";
        break;
    case regapi::kDiskFull:
        err_ << "ERROR: There is not enough space on the disk.\n";
        break;
    case regapi::kOutOfMemory:
        err_ << "ERROR: Not enough memory resources are available to complete this operation.\n";
        break;
    case regapi::kKeyDeleted:
        err_ << "ERROR: Illegal operation attempted on a registry key that has been marked for "
                "deletion.\n";
        break;
    default:
        err_ << "ERROR: An I/O operation initiated by the registry failed unrecoverably (error "
             << status << ").\n";
        break;
    }
    return kExitFailure;
}

// One line of standard input without its end; nullopt at the end of input, and for a line longer
// than kLongestAnswer, of which no more is read. A last line without an end counts.
std::optional<std::string> Console::ReadAnswer() {
    std::string line;
    for (;;) {
        const auto c = in_.get();
        if (c == std::istream::traits_type::eof())
            return line.empty() ? std::nullopt : std::optional<std::string>(line);
        if (c == '\n')
            return line;
        if (line.size() == kLongestAnswer)
            return std::nullopt;
        line += static_cast<char>(c);
    }
}

bool Console::Confirm(const std::string& question) {
    for (int asked = 0;; ++asked) {
        if (asked == kMostQuestions) {
            out_ << '\n';
            return false;
        }
        out_ << question << std::flush;
        const auto line = ReadAnswer();
        if (!line) {
            out_ << '\n';
            return false; // the end of input, or a line that is no answer at all, answers no
        }
        const std::string& answer = *line;
        const auto first = answer.find_first_not_of(" \t\r");
        const char c = first == std::string::npos ? '\0' : answer[first];
        if (c == 'y' || c == 'Y')
            return true;
        if (c == 'n' || c == 'N')
            return false;
    }
}

} // namespace vellumo::regtool
