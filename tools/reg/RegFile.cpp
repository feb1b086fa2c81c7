// Registry scripts: writing sections and reading whole files.
#include "RegFile.h"

#include "RegData.h"

#include "platform/RegistryConstants.h"
#include "platform/Text.h"
#include "platform/Utf8Char.h"

#include <cstdio>
#include <optional>

namespace vellumo::regtool {
namespace {

constexpr std::string_view kVersion5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kVersion4 = "REGEDIT4";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kByteOrderMark16 = "\xFF\xFE";
constexpr std::string_view kByteOrderMark8 = "\xEF\xBB\xBF";
// Byte lists are wrapped before a line would pass this many characters (the "\" included).
constexpr size_t kLongestLine = 80;
constexpr std::string_view kContinuationIndent = "  ";
constexpr char32_t kHighSurrogateFirst = 0xD800;
constexpr char32_t kLowSurrogateFirst = 0xDC00;
constexpr char32_t kSurrogateEnd = 0xE000;
constexpr char32_t kFirstSupplementary = 0x10000;

bool IsTextType(uint32_t type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// ---------------------------------------------------------------------------------------------
// UTF-8 and UTF-16LE

std::string Utf16Le(std::string_view utf8) {
    std::string bytes;
    bytes.reserve(utf8.size() * 2);
    const auto put = [&bytes](char32_t unit) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>((unit >> 8) & 0xFF);
    };
    for (size_t pos = 0; pos < utf8.size();) {
        const Utf8Char c = DecodeUtf8Char(utf8, pos);
        pos += c.size;
        if (c.codePoint >= kFirstSupplementary) {
            const char32_t v = c.codePoint - kFirstSupplementary;
            put(kHighSurrogateFirst + (v >> 10));
            put(kLowSurrogateFirst + (v & 0x3FF));
        } else {
            put(c.codePoint);
        }
    }
    return bytes;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < kFirstSupplementary) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// UTF-16LE bytes to UTF-8. A lone surrogate becomes U+FFFD; an odd last byte is a character of
// its own.
std::string FromUtf16Le(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    const auto unitAt = [&bytes](size_t i) -> char32_t {
        const auto low = static_cast<unsigned char>(bytes[i]);
        const auto high = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0u;
        return static_cast<char32_t>(low | (high << 8));
    };
    for (size_t i = 0; i < bytes.size(); i += 2) {
        char32_t c = unitAt(i);
        if (c >= kHighSurrogateFirst && c < kLowSurrogateFirst) {
            const char32_t next = i + 2 < bytes.size() ? unitAt(i + 2) : 0;
            if (next >= kLowSurrogateFirst && next < kSurrogateEnd) {
                c = kFirstSupplementary + ((c - kHighSurrogateFirst) << 10) +
                    (next - kLowSurrogateFirst);
                i += 2;
            } else {
                c = kReplacementCharacter;
            }
        } else if (c >= kLowSurrogateFirst && c < kSurrogateEnd) {
            c = kReplacementCharacter;
        }
        AppendUtf8(out, c);
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Writing

std::string Quoted(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"')
            quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

std::string HexList(std::string prefix, std::string_view bytes) {
    constexpr std::string_view kDigits = "0123456789abcdef";
    std::string text;
    std::string line = std::move(prefix);
    for (size_t i = 0; i < bytes.size(); ++i) {
        // Room for two digits and, when more follow, ",\".
        if (i > 0 && line.size() + 4 > kLongestLine) {
            text += line + "\\" + std::string(kLineEnd);
            line = kContinuationIndent;
        }
        const auto byte = static_cast<unsigned char>(bytes[i]);
        line += kDigits[byte >> 4];
        line += kDigits[byte & 0x0F];
        if (i + 1 < bytes.size())
            line += ',';
    }
    return text + line;
}

std::string ValueLine(const RegFileValue& value) {
    const std::string name = value.name.empty() ? "@" : Quoted(value.name);
    const std::string_view data = value.data;
    const bool oneLineText = !data.empty() && data.find('\0') == data.size() - 1 &&
                             data.find_first_of("\r\n") == std::string_view::npos;
    if (value.type == REG_SZ && oneLineText)
        return name + "=" + Quoted(data.substr(0, data.size() - 1));
    if (value.type == REG_DWORD && data.size() == 4) {
        uint32_t number = 0;
        for (int i = 3; i >= 0; --i)
            number = (number << 8) | static_cast<unsigned char>(data[static_cast<size_t>(i)]);
        char text[16];
        std::snprintf(text, sizeof text, "%08x", number);
        return name + "=dword:" + text;
    }
    if (value.type == REG_BINARY)
        return HexList(name + "=hex:", data);
    char type[32];
    std::snprintf(type, sizeof type, "=hex(%x):", value.type);
    return HexList(name + type, IsTextType(value.type) ? Utf16Le(data) : std::string(data));
}

// ---------------------------------------------------------------------------------------------
// Reading

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

// A reader over the script's text that keeps the line number.
class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) {}

    [[nodiscard]] bool AtEnd() const { return pos_ >= text_.size(); }
    [[nodiscard]] char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
    [[nodiscard]] bool AtLineEnd() const { return AtEnd() || Peek() == '\r' || Peek() == '\n'; }
    [[nodiscard]] size_t Line() const { return line_; }
    [[nodiscard]] std::string_view Rest() const { return text_.substr(pos_); }

    char Take() {
        const char c = text_[pos_++];
        if (c == '\n')
            ++line_;
        return c;
    }
    void Skip(size_t count) {
        for (size_t i = 0; i < count && !AtEnd(); ++i)
            Take();
    }
    void SkipSpaces() {
        while (Peek() == ' ' || Peek() == '\t')
            Take();
    }
    // Past the end of the current line (CR LF, LF or a lone CR).
    void NextLine() {
        while (!AtLineEnd())
            Take();
        if (Peek() == '\r')
            Take();
        if (Peek() == '\n')
            Take();
    }
    // The rest of the line, without its end.
    std::string_view LineText() const {
        const size_t end = text_.find_first_of("\r\n", pos_);
        return text_.substr(pos_,
                            end == std::string_view::npos ? std::string_view::npos : end - pos_);
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
    size_t line_ = 1;
};

class Parser {
public:
    Parser(std::string_view text, bool wideText,
           const std::function<std::string(std::string_view)>& narrowToUtf8)
        : cursor_(text), wideText_(wideText), narrowToUtf8_(narrowToUtf8) {}

    // Reads the lines after the version line into `contents`.
    void Run(RegFileContents& contents) {
        cursor_.NextLine();
        bool inKey = false;
        while (!cursor_.AtEnd()) {
            cursor_.SkipSpaces();
            const size_t line = cursor_.Line();
            const char c = cursor_.Peek();
            if (cursor_.AtLineEnd() || c == ';') {
                cursor_.NextLine();
                continue;
            }
            RegFileEntry entry;
            entry.line = line;
            if (c == '[') {
                if (!KeyLine(entry))
                    return Fail(contents, line);
                inKey = entry.kind == RegFileEntry::Kind::kKey;
            } else if (c == '"' || c == '@') {
                if (!inKey) {
                    problem_ = "a value that follows no key";
                    return Fail(contents, line);
                }
                if (!ValueLine(entry))
                    return Fail(contents, line);
            } else {
                problem_ = "a line that is neither a key, a value nor a comment";
                return Fail(contents, line);
            }
            contents.entries.push_back(std::move(entry));
        }
    }

private:
    void Fail(RegFileContents& contents, size_t line) {
        contents.entries.clear();
        contents.problem = problem_;
        contents.problemLine = line;
    }

    bool KeyLine(RegFileEntry& entry) {
        const std::string_view text = cursor_.LineText();
        const size_t close = text.rfind(']');
        if (close == std::string_view::npos) {
            problem_ = "a key name without its closing \"]\"";
            return false;
        }
        std::string_view name = text.substr(1, close - 1);
        entry.kind = RegFileEntry::Kind::kKey;
        if (!name.empty() && name.front() == '-') {
            entry.kind = RegFileEntry::Kind::kDeleteKey;
            name.remove_prefix(1);
        }
        entry.key = std::string(name);
        current_ = entry.key;
        cursor_.Skip(close + 1);
        return EndOfLine();
    }

    bool ValueLine(RegFileEntry& entry) {
        entry.key = current_;
        if (cursor_.Peek() == '@') {
            cursor_.Take();
        } else if (const auto name = QuotedText()) {
            entry.value.name = *name;
        } else {
            return false;
        }
        cursor_.SkipSpaces();
        if (cursor_.Peek() != '=') {
            problem_ = "a value name without \"=\"";
            return false;
        }
        cursor_.Take();
        cursor_.SkipSpaces();
        entry.kind = RegFileEntry::Kind::kValue;
        const std::string_view rest = cursor_.Rest();
        if (cursor_.Peek() == '-') {
            cursor_.Take();
            entry.kind = RegFileEntry::Kind::kDeleteValue;
        } else if (cursor_.Peek() == '"') {
            const auto text = QuotedText();
            if (!text)
                return false;
            entry.value.type = REG_SZ;
            entry.value.data = *text + '\0';
        } else if (StartsWithIgnoreCase(rest, "dword:")) {
            cursor_.Skip(6);
            if (!Dword(entry.value))
                return false;
        } else if (StartsWithIgnoreCase(rest, "hex:")) {
            cursor_.Skip(4);
            entry.value.type = REG_BINARY;
            return ByteList(entry.value.data); // the byte list has ended its line
        } else if (StartsWithIgnoreCase(rest, "hex(")) {
            cursor_.Skip(4);
            if (!HexType(entry.value.type))
                return false;
            std::string bytes;
            if (!ByteList(bytes))
                return false;
            entry.value.data = !IsTextType(entry.value.type) ? bytes
                               : wideText_                   ? FromUtf16Le(bytes)
                                                             : narrowToUtf8_(bytes);
            return true; // the byte list has ended its line
        } else {
            problem_ = "data that is neither a text, dword:, hex: nor hex(type): nor -";
            return false;
        }
        return EndOfLine();
    }

    // Only spaces may follow on the line.
    bool EndOfLine() {
        cursor_.SkipSpaces();
        if (!cursor_.AtLineEnd()) {
            problem_ = "text after the end of the entry";
            return false;
        }
        cursor_.NextLine();
        return true;
    }

    // A quoted text, which may run over lines; "\\" and "\"" stand for "\" and a quote, and a
    // backslash before any other character stands for itself.
    std::optional<std::string> QuotedText() {
        cursor_.Take(); // the opening quote
        std::string text;
        while (!cursor_.AtEnd()) {
            const char c = cursor_.Take();
            if (c == '"')
                return text;
            if (c == '\\' && (cursor_.Peek() == '\\' || cursor_.Peek() == '"')) {
                text += cursor_.Take();
                continue;
            }
            text += c;
        }
        problem_ = "a quoted text without its closing quote";
        return std::nullopt;
    }

    bool Dword(RegFileValue& value) {
        uint32_t number = 0;
        int digits = 0;
        for (int d = HexDigit(cursor_.Peek()); d >= 0; d = HexDigit(cursor_.Peek())) {
            if (++digits > 8)
                break;
            number = (number << 4) | static_cast<uint32_t>(d);
            cursor_.Take();
        }
        if (digits == 0 || digits > 8) {
            problem_ = "a dword that is not one to eight hexadecimal digits";
            return false;
        }
        value.type = REG_DWORD;
        for (int i = 0; i < 4; ++i)
            value.data += static_cast<char>((number >> (8 * i)) & 0xFF);
        return true;
    }

    // "N):" with N a hexadecimal type number.
    bool HexType(uint32_t& type) {
        uint64_t number = 0;
        int digits = 0;
        for (int d = HexDigit(cursor_.Peek()); d >= 0 && digits < 9; d = HexDigit(cursor_.Peek())) {
            number = (number << 4) | static_cast<uint64_t>(d);
            ++digits;
            cursor_.Take();
        }
        if (digits == 0 || number > UINT32_MAX || !Expect(')') || !Expect(':')) {
            problem_ = "a type in hex(...) that is not a hexadecimal number";
            return false;
        }
        type = static_cast<uint32_t>(number);
        return true;
    }

    bool Expect(char c) {
        if (cursor_.Peek() != c || cursor_.AtEnd())
            return false;
        cursor_.Take();
        return true;
    }

    // Bytes of one or two hexadecimal digits separated by commas, continued on the next line
    // after a "\", up to the end of the line.
    bool ByteList(std::string& bytes) {
        for (;;) {
            cursor_.SkipSpaces();
            if (cursor_.Peek() == '\\') {
                cursor_.Take();
                cursor_.SkipSpaces();
                if (!cursor_.AtLineEnd())
                    break;
                cursor_.NextLine();
                continue;
            }
            if (cursor_.AtLineEnd()) {
                cursor_.NextLine();
                return true;
            }
            const int high = HexDigit(cursor_.Peek());
            if (high < 0)
                break;
            cursor_.Take();
            int value = high;
            if (const int low = HexDigit(cursor_.Peek()); low >= 0) {
                cursor_.Take();
                value = high * 16 + low;
            }
            bytes += static_cast<char>(value);
            cursor_.SkipSpaces();
            if (cursor_.Peek() == ',')
                cursor_.Take();
            else if (cursor_.Peek() != '\\' && !cursor_.AtLineEnd())
                break;
        }
        problem_ = "a byte list with something other than hexadecimal bytes and commas";
        return false;
    }

    Cursor cursor_;
    bool wideText_;
    const std::function<std::string(std::string_view)>& narrowToUtf8_;
    std::string current_;
    std::string problem_;
};

} // namespace

std::string RegFileStart() {
    return std::string(kVersion5) + std::string(kLineEnd) + std::string(kLineEnd);
}

std::string RegFileSection(std::string_view fullName, const std::vector<RegFileValue>& values) {
    std::string text = "[" + std::string(fullName) + "]" + std::string(kLineEnd);
    for (const bool defaultValue : {true, false}) {
        for (const RegFileValue& value : values) {
            if (value.name.empty() == defaultValue)
                text += ValueLine(value) + std::string(kLineEnd);
        }
    }
    return text + std::string(kLineEnd);
}

std::string RegFileBytes(std::string_view utf8) {
    return std::string(kByteOrderMark16) + Utf16Le(utf8);
}

RegFileContents ParseRegFile(std::string_view bytes,
                             const std::function<std::string(std::string_view)>& narrowToUtf8) {
    std::string text;
    if (bytes.substr(0, 2) == kByteOrderMark16)
        text = FromUtf16Le(bytes.substr(2));
    else if (bytes.substr(0, 3) == kByteOrderMark8)
        text = std::string(bytes.substr(3));
    else
        text = narrowToUtf8(bytes);

    RegFileContents contents;
    Cursor first(text);
    std::string_view version = first.LineText();
    while (!version.empty() && (version.back() == ' ' || version.back() == '\t'))
        version.remove_suffix(1);
    const bool wide = version == kVersion5;
    if (!wide && version != kVersion4)
        return contents;
    contents.isScript = true;
    Parser(text, wide, narrowToUtf8).Run(contents);
    return contents;
}

} // namespace vellumo::regtool
