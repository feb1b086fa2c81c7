// The registry object over the registry functions. Portable: the same steps run over advapi32
// on Windows and over the store on Linux.
#include "platform/cRegistry.h"

#include "platform/CodePage.h"
#include "platform/RegistryApi.h"
#include "platform/RegistryKeyHandle.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"
#include "platform/Utf8Char.h"

#include <cstdint>

namespace vellumo {
namespace {

// What CreateKey and Value (Let) ask for: query, set, create, enumerate, notify, link.
constexpr uint32_t kWriteAccess = regapi::KEY_ALL_ACCESS_0x3F;
constexpr uint32_t kDwordSize = 4;
// The buffer RegEnumKeyA gets for a subkey's name.
constexpr uint32_t kSectionNameBuffer = 255;

std::string Source() {
    return regapi::ExecutableName() + ".cRegistry";
}

[[noreturn]] void Raise(int32_t number, const std::string& description) {
    throw RuntimeError(number, description, Source());
}

// A text holding "%", then at least one character, then another "%" names an environment
// variable and is stored for expansion.
bool HoldsVariableReference(const std::string& text) {
    const auto first = text.find('%');
    if (first == std::string::npos || first + 1 >= text.size())
        return false;
    return text.find('%', first + 1 + Utf8CharSize(text, first + 1)) != std::string::npos;
}

int32_t FromLittleEndian(const uint8_t (&bytes)[kDwordSize]) {
    return static_cast<int32_t>(
        static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
        static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24);
}

} // namespace

bool cRegistry::KeyExists() const {
    regapi::KeyHandle key;
    return key.Open(m_hClassKey, ToAnsi(m_sSectionKey), regapi::KEY_QUERY_VALUE) ==
           regapi::kSuccess;
}

bool cRegistry::CreateKey() {
    regapi::KeyHandle key;
    if (key.Create(m_hClassKey, ToAnsi(m_sSectionKey), kWriteAccess) != regapi::kSuccess)
        Raise(kErrRegistry, "Failed to create registry Key: '" + m_sSectionKey);
    return true;
}

bool cRegistry::DeleteKey() {
    if (regapi::DeleteKey(m_hClassKey, ToAnsi(m_sSectionKey)) != regapi::kSuccess)
        Raise(kErrRegistry, "Failed to delete registry Key: '" + std::to_string(m_hClassKey) +
                                "',Section: '" + m_sSectionKey);
    return true;
}

bool cRegistry::DeleteValue() {
    regapi::KeyHandle key;
    const std::string place =
        "Key: '" + std::to_string(m_hClassKey) + "',Section: '" + m_sSectionKey;
    if (key.Open(m_hClassKey, ToAnsi(m_sSectionKey), kWriteAccess) != regapi::kSuccess)
        Raise(kErrRegistry, "Failed to open key '" + std::to_string(m_hClassKey) + "',Section: '" +
                                m_sSectionKey + "' for delete access");
    if (regapi::DeleteValue(key.Get(), ToAnsi(m_sValueKey)) != regapi::kSuccess)
        Raise(kErrRegistry, "Failed to delete registry " + place + "',Key: '" + m_sValueKey);
    return true;
}

Variant cRegistry::Value() {
    regapi::KeyHandle key;
    // A key that cannot be opened is found out by the first query, which refuses the empty
    // handle.
    static_cast<void>(key.Open(m_hClassKey, ToAnsi(m_sSectionKey), regapi::KEY_QUERY_VALUE));
    const std::string name = ToAnsi(m_sValueKey);
    // A query with no room learns the type and the size.
    uint32_t type = 0;
    uint32_t size = 0;
    uint8_t noRoom = 0;
    const long status = regapi::QueryValue(key.Get(), name, &type, &noRoom, &size);
    if (status != regapi::kSuccess && status != regapi::kMoreData)
        return m_vDefault;
    m_eValueType = static_cast<int32_t>(type);

    // The reads below are not checked: the size was learned a moment ago, and a read that fails
    // all the same (another program changed the value in between) leaves the buffer as it was
    // made, zeros, which is what the value then reads as.

    // The stored bytes of a text. A text written with its terminating NUL loses that NUL here;
    // one written without it (as SaveRegString writes) keeps its last character.
    const auto readText = [&]() -> std::string {
        if (size == 0)
            return {};
        std::string buffer(size, '\0');
        uint32_t read = size;
        static_cast<void>(regapi::QueryValue(key.Get(), name, &type,
                                             reinterpret_cast<uint8_t*>(buffer.data()), &read));
        if (buffer.back() == '\0')
            buffer.pop_back();
        return buffer;
    };

    switch (static_cast<int32_t>(type)) {
    case REG_SZ:
    case REG_MULTI_SZ:
        return FromAnsi(readText());
    case REG_EXPAND_SZ: {
        const std::string text = readText();
        const uint32_t needed = regapi::ExpandEnvironmentStrings(text, nullptr, 0);
        std::string expanded(needed, '\0');
        // The size it gives back is the one learned above.
        static_cast<void>(regapi::ExpandEnvironmentStrings(text, expanded.data(), needed));
        return FromAnsi(CutAtNul(expanded));
    }
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: {
        uint8_t bytes[kDwordSize] = {};
        uint32_t read = kDwordSize;
        static_cast<void>(regapi::QueryValue(key.Get(), name, &type, bytes, &read));
        if (static_cast<int32_t>(type) == REG_DWORD_BIG_ENDIAN) {
            std::swap(bytes[0], bytes[3]);
            std::swap(bytes[1], bytes[2]);
        }
        return FromLittleEndian(bytes);
    }
    default: {
        // Indexed 0 to size: one element more than the stored data, the last one left 0.
        ByteArray bytes(static_cast<size_t>(size) + 1, 0);
        uint32_t read = size;
        static_cast<void>(regapi::QueryValue(key.Get(), name, &type, bytes.data(), &read));
        m_lastPaddedRead = {m_hClassKey, m_sSectionKey, m_sValueKey, bytes.size()};
        return bytes;
    }
    }
}

void cRegistry::SetValue(const Variant& vValue) {
    const std::string description =
        "Failed to set registry value Key: '" + std::to_string(m_hClassKey) + "',Section: '" +
        m_sSectionKey + "',Key: '" + m_sValueKey + "' to value: '" + VariantToText(vValue) + "'";
    regapi::KeyHandle key;
    if (key.Create(m_hClassKey, ToAnsi(m_sSectionKey), kWriteAccess) != regapi::kSuccess)
        Raise(kErrRegistry, description);
    const std::string name = ToAnsi(m_sValueKey);
    // Status of an unsupported ValueType: run-time error 13, "Type mismatch".
    constexpr long kUnsupportedType = 13;
    long status = kUnsupportedType;
    switch (m_eValueType) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
        const std::string text = VariantToText(vValue);
        const auto type =
            static_cast<uint32_t>(HoldsVariableReference(text) ? REG_EXPAND_SZ : REG_SZ);
        const std::string data = ToAnsi(text);
        // With its terminating NUL: length + 1 bytes. A text beyond the registry's 32-bit sizes
        // is a failed write, never one cut to its size modulo 4 GiB.
        if (data.size() >= UINT32_MAX)
            break;
        status =
            regapi::SetValue(key.Get(), name, type, reinterpret_cast<const uint8_t*>(data.c_str()),
                             static_cast<uint32_t>(data.size() + 1));
        break;
    }
    case REG_BINARY: {
        const auto* bytes = std::get_if<ByteArray>(&vValue);
        if (bytes == nullptr)
            Raise(kErrRegistry, RuntimeErrorDescription(kErrRegistry));
        const size_t count = BinaryBytesToWrite(*bytes);
        if (count > UINT32_MAX)
            break; // beyond the registry's 32-bit sizes: a failed write
        status = regapi::SetValue(key.Get(), name, REG_BINARY, bytes->data(),
                                  static_cast<uint32_t>(count));
        break;
    }
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: {
        if (!IsInteger(vValue)) {
            status = regapi::kSuccess; // a value of another kind is not written and not an error
            break;
        }
        const auto value = static_cast<uint32_t>(VariantToLong(vValue));
        // Least significant byte first, also for REG_DWORD_BIG_ENDIAN: no reversal on writing.
        const uint8_t data[kDwordSize] = {
            static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
        status = regapi::SetValue(key.Get(), name, REG_DWORD, data, kDwordSize);
        break;
    }
    default:
        break;
    }
    if (status != regapi::kSuccess)
        Raise(kErrSetValue, description);
}

// Every element of the array is written, but for the 0 that Value (Get) put after the data it
// read here: a value read and written back would otherwise grow by one byte each time.
size_t cRegistry::BinaryBytesToWrite(const ByteArray& bytes) const {
    const PaddedRead& read = m_lastPaddedRead;
    const bool padded = !bytes.empty() && bytes.size() == read.length && bytes.back() == 0 &&
                        read.classKey == m_hClassKey && read.sectionKey == m_sSectionKey &&
                        read.valueKey == m_sValueKey;
    return padded ? bytes.size() - 1 : bytes.size();
}

bool cRegistry::EnumerateValues(std::vector<std::string>& sKeyNames, int32_t& iKeyCount) {
    sKeyNames.clear();
    iKeyCount = 0;
    regapi::KeyHandle key;
    if (key.Open(m_hClassKey, ToAnsi(m_sSectionKey), regapi::KEY_QUERY_VALUE) != regapi::kSuccess)
        return true;
    uint32_t longest = 0;
    if (regapi::QueryInfoKey(key.Get(), nullptr, nullptr, &longest) != regapi::kSuccess)
        return true;
    for (uint32_t index = 0;; ++index) {
        std::string name;
        uint32_t length = longest + 1;
        if (regapi::EnumValue(key.Get(), index, name, length) != regapi::kSuccess)
            break;
        ++iKeyCount;
        if (sKeyNames.empty())
            sKeyNames.emplace_back(); // element 0 is unused
        sKeyNames.push_back(FromAnsi(name.substr(0, length)));
    }
    return true;
}

bool cRegistry::EnumerateSections(std::vector<std::string>& sSect, int32_t& iSectCount) {
    sSect.clear();
    iSectCount = 0;
    regapi::KeyHandle key;
    try {
        long status = key.Open(m_hClassKey, ToAnsi(m_sSectionKey), regapi::KEY_ENUMERATE_SUB_KEYS);
        for (uint32_t index = 0; status == regapi::kSuccess; ++index) {
            std::string name;
            status = regapi::EnumKey(key.Get(), index, name, kSectionNameBuffer);
            if (status == regapi::kSuccess) {
                ++iSectCount;
                if (sSect.empty())
                    sSect.emplace_back(); // element 0 is unused
                sSect.push_back(FromAnsi(CutAtNul(name)));
            }
        }
    } catch (...) {
        Raise(kErrEnumerate, CurrentRuntimeError().Description());
    }
    return true;
}

void cRegistry::CreateEXEAssociation(const std::string& sExePath, const std::string& sClassName,
                                     const std::string& sClassDescription,
                                     const std::string& sAssociation, int32_t lDefaultIconIndex) {
    // The command line that opens a document: the program and the document's path in quotes.
    const std::string command = sExePath + " \"%1\"";
    m_hClassKey = HKEY_CLASSES_ROOT;
    m_sValueKey.clear();
    m_sSectionKey = "." + sAssociation;
    SetValue(sClassName);
    m_sSectionKey = "." + sAssociation + "\\shell\\open\\command";
    SetValue(command);
    m_sSectionKey = sClassName;
    SetValue(sClassDescription);
    m_sSectionKey = sClassName + "\\shell\\open\\command";
    SetValue(command);
    if (lDefaultIconIndex >= 0) {
        m_sSectionKey = sClassName + "\\DefaultIcon";
        SetValue(sExePath + "," + std::to_string(lDefaultIconIndex));
    }
}

} // namespace vellumo
