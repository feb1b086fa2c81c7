// Code-page conversion on Windows: UTF-8 to UTF-16 to the active ANSI code page and back, with
// MultiByteToWideChar and WideCharToMultiByte.
#include "platform/CodePage.h"

#include <windows.h>

#include <climits>
#include <string>

namespace vellumo {
namespace {

std::wstring Widen(std::string_view text, UINT codePage) {
    if (text.empty() || text.size() > INT_MAX)
        return {};
    const int length = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (needed <= 0)
        return {};
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), needed);
    return wide;
}

std::string Narrow(const std::wstring& wide, UINT codePage) {
    if (wide.empty())
        return {};
    const int length = static_cast<int>(wide.size());
    // The replacement for characters the code page lacks; UTF-8 takes none (it has them all).
    const char* replacement = codePage == CP_UTF8 ? nullptr : "?";
    const int needed =
        WideCharToMultiByte(codePage, 0, wide.data(), length, nullptr, 0, replacement, nullptr);
    if (needed <= 0)
        return {};
    std::string narrow(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), length, narrow.data(), needed, replacement,
                        nullptr);
    return narrow;
}

} // namespace

std::string ToAnsi(std::string_view utf8) {
    return Narrow(Widen(utf8, CP_UTF8), CP_ACP);
}

std::string FromAnsi(std::string_view ansi) {
    return Narrow(Widen(ansi, CP_ACP), CP_UTF8);
}

std::string PathToSystem(std::string_view path) {
    return ToAnsi(path);
}

std::string PathFromSystem(std::string_view systemPath) {
    return FromAnsi(systemPath);
}

} // namespace vellumo
