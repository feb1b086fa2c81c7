// CShellExecute: hands a document, folder, program, web address or e-mail address to the
// desktop to open, explore or print, and reports the shell's result code.
// docs/linux-counterparts.md describes the Linux counterparts (xdg-open, lp, programs started
// directly).
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vellumo {

// Results: every launch returns -1 when the request was accepted, otherwise the shell's error
// code (0 to 32). The shell's own failures are results, never boxes. An unexpected failure
// inside an operation shows the platform error box titled with the operation's name and gives
// 0 (False for StillExecuting).
//
// Linux: the owner window and the show style have no counterpart and are ignored. Plain
// launches wait for the opener (xdg-open, lp) to report whether it found a handler, but never
// longer than HandOverWait() (3 seconds): an opener still running then counts as accepted.
// Started processes get /dev/null as standard input and a session of their own. Nothing runs in
// the background: a started process that the class lets go of while it still runs (its object
// goes, a later launch replaces it, an opener is still busy when the hand-over wait ends) joins
// one process-wide list. Every later launch of any object, and every StillExecuting that asks
// about a kept process, reaps those on the list that have ended; whatever still runs when the
// program ends is reaped by the system. Like the rest of the class, the list is used from the
// one UI thread only.
class CShellExecute {
public:
    // The shell's result codes.
    static constexpr int32_t kAccepted = -1;
    static constexpr int32_t kOutOfResources = 0;
    static constexpr int32_t kFileNotFound = 2;
    static constexpr int32_t kPathNotFound = 3;
    static constexpr int32_t kAccessDenied = 5;
    static constexpr int32_t kBadFormat = 11;
    static constexpr int32_t kNoAssociation = 31;

    // Window show commands, passed through unchanged.
    static constexpr int32_t kShowHidden = 0;
    static constexpr int32_t kShowNormal = 1;
    static constexpr int32_t kShowMinimized = 2;
    static constexpr int32_t kShowMaximized = 3;
    static constexpr int32_t kShowDefault = 10;

    CShellExecute() = default;
    // Releases the process kept by the last extended launch (it goes on running).
    ~CShellExecute();
    CShellExecute(const CShellExecute&) = delete;
    CShellExecute& operator=(const CShellExecute&) = delete;

    // True while the process started by the last extended launch runs. False before any launch,
    // after a plain launch, when that launch started no process (the document went to an already
    // running program) and once the process has ended (it is reaped then).
    [[nodiscard]] bool StillExecuting();

    // Opens a folder for exploring. Linux: xdg-open; a target that exists but is not a folder
    // gives kNoAssociation.
    int32_t Explore(int32_t lnghWnd, const std::string& strFolder, int32_t eShowStyle);
    // Opens a document (extended launch, the started process kept). Linux: a relative path is
    // taken from strStartIn (never looked up on PATH); only a program in the system's binary
    // format (an ELF executable) is started directly, as LaunchProgram starts it: a script or any
    // other file with the execute bit (as files on removable media often have) goes to xdg-open
    // like every other document. Environment references are expanded as for LaunchProgram.
    int32_t LaunchDocument(int32_t lnghWnd, const std::string& strDocument,
                           const std::string& strStartIn, int32_t eShowStyle);
    // Opens "mailto:" + strAddress (not encoded, nothing between them) with the mail handler.
    int32_t LaunchEmail(int32_t lnghWnd, const std::string& strAddress, int32_t eShowStyle);
    // Opens a folder (or any target) with its default action. Linux: xdg-open.
    int32_t LaunchFolder(int32_t lnghWnd, const std::string& strFolder, int32_t eShowStyle);
    // Starts a program with parameters in strStartIn (extended launch, process kept). Linux: a
    // name without "/" is looked up on PATH (absolute folders only), a relative path is taken
    // from strStartIn. An executable file (a script too) is started directly with strParameters
    // split into words as a shell splits
    // simple words (blanks separate, quotes group, backslash escapes; nothing else expands). A
    // target that is no executable (a document, a folder, a URL) goes to xdg-open, whose process
    // is kept, and the parameters are dropped.
    // Environment references in strProgram (strDocument) and strStartIn are expanded, not in
    // strParameters: "%NAME%" on both builds (Windows: by the system, SEE_MASK_DOENVSUBST;
    // Linux: the same rules through ExpandEnvironmentText), and on Linux also "$NAME" and
    // "${NAME}"; an unset variable's reference is left as written.
    int32_t LaunchProgram(int32_t lnghWnd, const std::string& strProgram,
                          const std::string& strParameters, const std::string& strStartIn,
                          int32_t eShowStyle);
    // Opens a web address (or any target) with its default handler. Linux: xdg-open.
    int32_t LaunchURL(int32_t lnghWnd, const std::string& strURL, int32_t eShowStyle);
    // Prints a document, always hidden. Linux: lp (kNoAssociation when lp is missing or refuses
    // the job, e.g. without a printer).
    int32_t PrintDocument(int32_t lnghWnd, const std::string& strDocument);

    // The longest time a launch waits for an opener's verdict. Tests may lengthen it so that a
    // slow machine cannot turn a refusal into an acceptance; ResetState restores the start
    // value, 3 seconds. (ResetState leaves the list of let-go processes alone: they still need
    // reaping.)
    [[nodiscard]] static std::chrono::milliseconds HandOverWait();
    static void SetHandOverWaitForTesting(std::chrono::milliseconds wait);
    static void ResetState();

private:
    // What an extended launch gives back: the instance value (> 32 success, else the error
    // code) and the started process (0 when none).
    struct ExtendedResult {
        int32_t instApp = 0;
        int32_t process = 0;
    };

    // Releases the kept process and sets both members back to 0, as every launch does first.
    void ClearLaunchState();

    // What the extended call was asked to open: Linux starts a document only when it is a
    // program of the system's binary format, and looks only program names up on PATH. Windows:
    // the same call for both.
    enum class ExtendedTarget { kDocument, kProgram };

    // The platform's shell calls. PlainCall returns the shell's value (> 32 success, else the
    // error code); verb nullptr is the default action.
    static int32_t PlainCall(int32_t hWnd, const char* verb, const std::string& file, int32_t show);
    static ExtendedResult ExtendedCall(int32_t hWnd, const char* verb, const std::string& file,
                                       const std::string& parameters, const std::string& directory,
                                       int32_t show, ExtendedTarget target);
    // Whether the process still runs; a process found ended is reaped and `process` set to 0.
    // Linux: also reaps the let-go processes that have ended.
    static bool ProcessActive(int32_t& process);
    // Gives up the process (0: none). Windows: closes its handle. Linux: reaps it now when it
    // has ended, else puts it on the list of let-go processes.
    static void ReleaseProcess(int32_t process) noexcept;

    int32_t m_lInstApp = 0;
    int32_t m_lProcess = 0;
};

// Portable pieces of the Linux launches, tested on every build.
namespace shellexec {

// Splits parameters into words as a shell splits simple words: blanks (space, tab, newline)
// separate; '...' keeps everything literally; "..." keeps everything but lets a backslash escape
// " \ $ and `; outside quotes a backslash keeps the next character (a final backslash stays). An
// unterminated quote runs to the end. No variables, globs or other expansions.
[[nodiscard]] std::vector<std::string> SplitParameters(std::string_view parameters);

} // namespace shellexec
} // namespace vellumo
