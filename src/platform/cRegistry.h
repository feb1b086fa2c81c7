// The registry object: pointed at a root, a key path and a value name through its properties,
// it reads, writes, deletes and enumerates there. It raises RuntimeError to its caller:
// 26001 (key create/delete/open-for-delete, value delete, REG_BINARY of a non-array),
// 0x800469A9 (failed or unsupported write), 0x800469AA (failure while enumerating subkeys);
// the source is the executable's name without extension + ".cRegistry".
// Each property reads through X() and is set through SetX(value).
#pragma once

#include "platform/RegistryConstants.h"
#include "platform/Variant.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vellumo {

class cRegistry {
public:
    static constexpr int32_t kErrRegistry = 26001;
    static constexpr int32_t kErrSetValue = static_cast<int32_t>(0x800469A9u);
    static constexpr int32_t kErrEnumerate = static_cast<int32_t>(0x800469AAu);

    [[nodiscard]] bool KeyExists() const;
    bool CreateKey();
    bool DeleteKey();
    bool DeleteValue();
    // The value, or Default() when the key or value is missing. A successful read sets
    // ValueType. Texts lose their last byte only when it is a NUL (so a text stored without
    // terminator reads back whole); REG_EXPAND_SZ comes expanded; REG_DWORD_BIG_ENDIAN is
    // byte-reversed; other types give a byte array one element longer than the data (last 0).
    [[nodiscard]] Variant Value();
    // Writes by ValueType: REG_SZ/REG_EXPAND_SZ as text with its NUL (stored as REG_EXPAND_SZ
    // when it holds "%", a character and a later "%"); REG_BINARY the whole byte array, except
    // that an array as long as the one this object's Value last returned for the same place,
    // still ending in the 0 that Value added, is written without that 0 (so a value read, changed
    // or not, and written back keeps its size);
    // REG_DWORD/REG_DWORD_BIG_ENDIAN an integer as a little-endian REG_DWORD (other kinds are
    // silently not written). Any other ValueType raises kErrSetValue and writes nothing.
    void SetValue(const Variant& vValue);
    // Arrays are indexed from 1: element 0 is unused and empty; with no names the array is
    // empty. A missing key gives True and nothing.
    bool EnumerateValues(std::vector<std::string>& sKeyNames, int32_t& iKeyCount);
    bool EnumerateSections(std::vector<std::string>& sSect, int32_t& iSectCount);
    void CreateEXEAssociation(const std::string& sExePath, const std::string& sClassName,
                              const std::string& sClassDescription, const std::string& sAssociation,
                              int32_t lDefaultIconIndex);

    [[nodiscard]] int32_t ValueType() const { return m_eValueType; }
    void SetValueType(int32_t eValueType) { m_eValueType = eValueType; }
    [[nodiscard]] int32_t ClassKey() const { return m_hClassKey; }
    void SetClassKey(int32_t eKey) { m_hClassKey = eKey; }
    [[nodiscard]] const std::string& SectionKey() const { return m_sSectionKey; }
    void SetSectionKey(const std::string& sSectionKey) { m_sSectionKey = sSectionKey; }
    [[nodiscard]] const std::string& ValueKey() const { return m_sValueKey; }
    void SetValueKey(const std::string& sValueKey) { m_sValueKey = sValueKey; }
    [[nodiscard]] const Variant& Default() const { return m_vDefault; }
    void SetDefault(const Variant& vDefault) { m_vDefault = vDefault; }

private:
    int32_t m_hClassKey = 0;
    std::string m_sSectionKey;
    std::string m_sValueKey;
    Variant m_vDefault;
    int32_t m_eValueType = 0;

    // Where Value last returned a byte array, and that array's length (the data's size + 1).
    struct PaddedRead {
        int32_t classKey = 0;
        std::string sectionKey;
        std::string valueKey;
        size_t length = 0;
    };
    PaddedRead m_lastPaddedRead;
    // The number of bytes of `bytes` to write at the current place.
    [[nodiscard]] size_t BinaryBytesToWrite(const ByteArray& bytes) const;
};

} // namespace vellumo
