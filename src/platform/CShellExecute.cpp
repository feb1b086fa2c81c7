// The operating-system independent part of CShellExecute: the members' result rules, their
// error boxes, the kept-process state, and the word splitting of parameters.
#include "platform/CShellExecute.h"

#include "platform/RuntimeError.h"
#include "platform/UiService.h"

#include <utility>

namespace vellumo {
namespace {

// The shell's values from 33 up mean success; 0 to 32 are its error codes.
constexpr int32_t kLargestErrorCode = 32;

// The class's process-wide settings with their start values; ResetState restores them all.
struct ShellSettings {
    // A launch that does not wait for the started program may still hold the window this long
    // while the opener decides whether it has a handler.
    std::chrono::milliseconds handOverWait{3000};
};
ShellSettings g_settings;

int32_t LaunchResult(int32_t shellValue) {
    return shellValue > kLargestErrorCode ? CShellExecute::kAccepted : shellValue;
}

} // namespace

std::chrono::milliseconds CShellExecute::HandOverWait() {
    return g_settings.handOverWait;
}

void CShellExecute::SetHandOverWaitForTesting(std::chrono::milliseconds wait) {
    g_settings.handOverWait = wait;
}

void CShellExecute::ResetState() {
    g_settings = ShellSettings{};
}

CShellExecute::~CShellExecute() {
    ReleaseProcess(m_lProcess);
}

void CShellExecute::ClearLaunchState() {
    const int32_t previous = std::exchange(m_lProcess, 0);
    m_lInstApp = 0;
    ReleaseProcess(previous);
}

bool CShellExecute::StillExecuting() {
    return ui::ReportingFailures("StillExecuting", false, [this] {
        // No extended launch since the last plain one: nothing to ask about.
        if (m_lInstApp == 0)
            return false;
        return ProcessActive(m_lProcess);
    });
}

int32_t CShellExecute::Explore(int32_t lnghWnd, const std::string& strFolder, int32_t eShowStyle) {
    return ui::ReportingFailures("Explore", int32_t{0}, [&] {
        ClearLaunchState();
        return LaunchResult(PlainCall(lnghWnd, "explore", strFolder, eShowStyle));
    });
}

int32_t CShellExecute::LaunchDocument(int32_t lnghWnd, const std::string& strDocument,
                                      const std::string& strStartIn, int32_t eShowStyle) {
    return ui::ReportingFailures("LaunchDocument", int32_t{0}, [&] {
        ClearLaunchState();
        const ExtendedResult launch =
            ExtendedCall(lnghWnd, "Open", strDocument, std::string(), strStartIn, eShowStyle,
                         ExtendedTarget::kDocument);
        m_lInstApp = launch.instApp;
        m_lProcess = launch.process;
        return LaunchResult(launch.instApp);
    });
}

int32_t CShellExecute::LaunchEmail(int32_t lnghWnd, const std::string& strAddress,
                                   int32_t eShowStyle) {
    return ui::ReportingFailures("LaunchEmail", int32_t{0}, [&] {
        ClearLaunchState();
        // The address follows the scheme as given: no separator, no encoding.
        return LaunchResult(PlainCall(lnghWnd, nullptr, "mailto:" + strAddress, eShowStyle));
    });
}

int32_t CShellExecute::LaunchFolder(int32_t lnghWnd, const std::string& strFolder,
                                    int32_t eShowStyle) {
    return ui::ReportingFailures("LaunchFolder", int32_t{0}, [&] {
        ClearLaunchState();
        return LaunchResult(PlainCall(lnghWnd, "open", strFolder, eShowStyle));
    });
}

int32_t CShellExecute::LaunchProgram(int32_t lnghWnd, const std::string& strProgram,
                                     const std::string& strParameters,
                                     const std::string& strStartIn, int32_t eShowStyle) {
    return ui::ReportingFailures("LaunchProgram", int32_t{0}, [&] {
        ClearLaunchState();
        const ExtendedResult launch =
            ExtendedCall(lnghWnd, "Open", strProgram, strParameters, strStartIn, eShowStyle,
                         ExtendedTarget::kProgram);
        m_lInstApp = launch.instApp;
        m_lProcess = launch.process;
        return LaunchResult(launch.instApp);
    });
}

int32_t CShellExecute::LaunchURL(int32_t lnghWnd, const std::string& strURL, int32_t eShowStyle) {
    return ui::ReportingFailures("LaunchURL", int32_t{0}, [&] {
        ClearLaunchState();
        return LaunchResult(PlainCall(lnghWnd, nullptr, strURL, eShowStyle));
    });
}

int32_t CShellExecute::PrintDocument(int32_t lnghWnd, const std::string& strDocument) {
    return ui::ReportingFailures("PrintDocument", int32_t{0}, [&] {
        ClearLaunchState();
        // Printing never shows a window, whatever the caller would like.
        return LaunchResult(PlainCall(lnghWnd, "print", strDocument, kShowHidden));
    });
}

namespace shellexec {
namespace {

bool IsWordBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

} // namespace

std::vector<std::string> SplitParameters(std::string_view parameters) {
    std::vector<std::string> words;
    std::string word;
    // A word exists once any of its characters, or a pair of quotes, has been seen: '' is an
    // empty word, as in the shell.
    bool inWord = false;
    size_t i = 0;
    while (i < parameters.size()) {
        const char c = parameters[i];
        if (IsWordBlank(c)) {
            if (inWord)
                words.push_back(std::exchange(word, std::string()));
            inWord = false;
            ++i;
        } else if (c == '\'') {
            inWord = true;
            const size_t close = parameters.find('\'', i + 1);
            const size_t end = close == std::string_view::npos ? parameters.size() : close;
            word.append(parameters.substr(i + 1, end - i - 1));
            i = end + 1;
        } else if (c == '"') {
            inWord = true;
            ++i;
            while (i < parameters.size() && parameters[i] != '"') {
                if (parameters[i] == '\\' && i + 1 < parameters.size() &&
                    std::string_view("\"\\$`").find(parameters[i + 1]) != std::string_view::npos)
                    ++i;
                word += parameters[i];
                ++i;
            }
            ++i; // the closing quote (or past the end)
        } else if (c == '\\') {
            inWord = true;
            // A backslash at the very end has nothing to escape and stays.
            word += i + 1 < parameters.size() ? parameters[i + 1] : '\\';
            i += 2;
        } else {
            inWord = true;
            word += c;
            ++i;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

} // namespace shellexec
} // namespace vellumo
