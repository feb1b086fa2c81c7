// vellumo-reg's side of the conversation: its messages, the questions it asks on standard input,
// and the registry's failures in the reg tool's words.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace vellumo::regtool {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;

inline constexpr const char* kCompleted = "The operation completed successfully.";
inline constexpr const char* kCancelled = "The operation was canceled by the user.";
inline constexpr const char* kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.";
inline constexpr const char* kInvalidKeyName = "ERROR: Invalid key name.";
inline constexpr const char* kInvalidParameter = "ERROR: The parameter is incorrect.";
inline constexpr const char* kDefaultValueName = "(Default)";

class Console {
public:
    Console(std::istream& in, std::ostream& out, std::ostream& err)
        : in_(in), out_(out), err_(err) {}

    [[nodiscard]] std::ostream& Out() { return out_; }
    [[nodiscard]] std::ostream& Err() { return err_; }

    // Asks on standard output and reads the answer from standard input: true for a line that
    // starts with y, false for n. Other lines ask again, a hundred times at most; the end of
    // input, and a line longer than 4096 bytes (of which no more is read), answer no.
    [[nodiscard]] bool Confirm(const std::string& question);

    // "ERROR: Invalid syntax." and the usage hint of the operation (the tool's when empty).
    int InvalidSyntax(std::string_view operation);
    // "ERROR: Invalid key name." and the usage hint.
    int InvalidKeyName(std::string_view operation);
    // The registry's status as the reg tool words it; kExitFailure.
    int Failure(long status);
    // kCompleted on standard output; kExitSuccess.
    int Completed();
    // kCancelled on standard output; kExitSuccess (a question answered no is not a failure).
    int Cancelled();

private:
    int UsageHint(std::string_view operation);
    std::optional<std::string> ReadAnswer();

    std::istream& in_;
    std::ostream& out_;
    std::ostream& err_;
};

} // namespace vellumo::regtool
