// Expansion of "%NAME%" and, on request, "$NAME" and "${NAME}" references from an environment
// list; operating-system independent, so both builds test the same rules.
#include "platform/EnvironmentText.h"

#include "platform/Text.h"

namespace vellumo {
namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsNameStart(char c) {
    return IsAsciiLetter(c) || c == '_';
}

bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9');
}

// The value of the variable `name` (not empty), or nullptr when it is not set. With ignoreCase
// a name that differs only in the case of ASCII letters serves when no entry matches exactly.
const char* Lookup(const char* const* environment, std::string_view name, bool ignoreCase) {
    if (environment == nullptr || name.empty())
        return nullptr;
    const char* caseless = nullptr;
    for (const char* const* entry = environment; *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        const size_t equals = text.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view entryName = text.substr(0, equals);
        if (entryName == name)
            return *entry + equals + 1;
        if (ignoreCase && caseless == nullptr && EqualsIgnoreCase(entryName, name))
            caseless = *entry + equals + 1;
    }
    return caseless;
}

} // namespace

std::string ExpandEnvironmentText(std::string_view text, DollarReferences dollar,
                                  const char* const* environment) {
    std::string result;
    result.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '%') {
            const size_t close = text.find('%', i + 1);
            if (close == std::string_view::npos) {
                result += c; // no reference: the "%" stays
                ++i;
                continue;
            }
            const char* value = Lookup(environment, text.substr(i + 1, close - i - 1), true);
            if (value != nullptr)
                result += value;
            else
                result += text.substr(i, close - i + 1); // unknown: kept with both "%"
            i = close + 1;
            continue;
        }
        if (c != '$' || dollar == DollarReferences::kKept) {
            result += c;
            ++i;
            continue;
        }
        const bool braced = i + 1 < text.size() && text[i + 1] == '{';
        const size_t nameStart = i + (braced ? 2 : 1);
        size_t nameEnd = nameStart;
        if (nameEnd < text.size() && IsNameStart(text[nameEnd])) {
            while (nameEnd < text.size() && IsNameChar(text[nameEnd]))
                ++nameEnd;
        }
        const bool closed = !braced || (nameEnd < text.size() && text[nameEnd] == '}');
        const char* value = nullptr;
        if (nameEnd > nameStart && closed)
            value = Lookup(environment, text.substr(nameStart, nameEnd - nameStart), false);
        if (value == nullptr) {
            // Not a reference, or an unknown name: the "$" stays and the rest follows as text.
            result += c;
            ++i;
            continue;
        }
        result += value;
        i = nameEnd + (braced ? 1 : 0);
    }
    return result;
}

} // namespace vellumo
