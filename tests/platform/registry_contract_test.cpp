// The registry layers' contract (modRegistry and cRegistry over the registry functions): types
// and sizes, defaults, the "%...%" rule, enumeration order and the raised errors. Nothing here
// knows which registry runs underneath: the Windows build runs the same tests on the real one.
#include "platform/RegistryApi.h"
#include "platform/cRegistry.h"
#include "platform/modRegistry.h"
#include "support/TestEnvironment.h"

#include <climits>
#include <cstdlib>
#include <functional>

namespace vellumo {
namespace {

using test::IsolatedTest;

constexpr const char* kKey = "Software\\Kestrova\\VellumoContractTest";
// The error source: this test program's name without extension, then the class name.
constexpr const char* kSource = "platform_registry_contract_test.cRegistry";
constexpr const char* kRootText = "-2147483647"; // HKEY_CURRENT_USER as a signed decimal

std::string Sub(const std::string& name) {
    return std::string(kKey) + "\\" + name;
}

// Deletes a key and everything below it through cRegistry (which deletes leaves only).
void DeleteTree(int32_t root, const std::string& path) {
    cRegistry reg;
    reg.SetClassKey(root);
    reg.SetSectionKey(path);
    if (!reg.KeyExists())
        return;
    std::vector<std::string> sections;
    int32_t count = 0;
    reg.EnumerateSections(sections, count);
    for (int32_t i = 1; i <= count; ++i)
        DeleteTree(root, path + "\\" + sections[static_cast<size_t>(i)]);
    reg.DeleteKey();
}

// Writes raw bytes under a type, as other programs may have stored them.
void WriteRaw(const std::string& path, const std::string& name, uint32_t type,
              const std::string& bytes) {
    regapi::RegKey key = 0;
    ASSERT_EQ(regapi::CreateKey(HKEY_CURRENT_USER, path, regapi::KEY_ALL_ACCESS, key),
              regapi::kSuccess);
    ASSERT_EQ(regapi::SetValue(key, name, type, reinterpret_cast<const uint8_t*>(bytes.data()),
                               static_cast<uint32_t>(bytes.size())),
              regapi::kSuccess);
    EXPECT_EQ(regapi::CloseKey(key), regapi::kSuccess);
}

// The stored type and size of a value; type 0xFFFFFFFF when it is missing.
std::pair<uint32_t, uint32_t> Stored(const std::string& path, const std::string& name) {
    regapi::RegKey key = 0;
    uint32_t type = 0xFFFFFFFFu;
    uint32_t size = 0;
    if (regapi::OpenKey(HKEY_CURRENT_USER, path, regapi::KEY_QUERY_VALUE, key) ==
        regapi::kSuccess) {
        if (regapi::QueryValue(key, name, &type, nullptr, &size) != regapi::kSuccess)
            type = 0xFFFFFFFFu;
        EXPECT_EQ(regapi::CloseKey(key), regapi::kSuccess);
    }
    return {type, size};
}

// Runs `action` and returns the RuntimeError it raises (number -1 when it raises none).
RuntimeError Raised(const std::function<void()>& action) {
    try {
        action();
    } catch (const RuntimeError& e) {
        return e;
    }
    return RuntimeError(-1, "nothing raised");
}

class RegistryContractTest : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        DeleteTree(HKEY_CURRENT_USER, kKey);
    }
    void TearDown() override {
        DeleteTree(HKEY_CURRENT_USER, kKey);
        IsolatedTest::TearDown();
    }

    cRegistry At(const std::string& path, const std::string& value = {}) {
        cRegistry reg;
        reg.SetClassKey(HKEY_CURRENT_USER);
        reg.SetSectionKey(path);
        reg.SetValueKey(value);
        return reg;
    }
};

// ---- modRegistry ----

TEST_F(RegistryContractTest, StringsRoundTripWithoutTerminatorAndDefaultWhenMissingOrMistyped) {
    EXPECT_EQ(modRegistry::SaveRegString(HKEY_CURRENT_USER, kKey, "Name", "Hello, world"),
              "Success");
    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER, kKey, "Name", "dflt"), "Hello, world");
    EXPECT_EQ(Stored(kKey, "Name").first, static_cast<uint32_t>(REG_SZ));

    EXPECT_EQ(modRegistry::SaveRegString(HKEY_CURRENT_USER, kKey, "Empty", ""), "Success");
    EXPECT_EQ(Stored(kKey, "Empty"), std::make_pair(static_cast<uint32_t>(REG_SZ), 0u));
    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER, kKey, "Empty", "dflt"), "");

    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER, kKey, "Missing", "dflt"), "dflt");
    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER, Sub("NoSuchKey"), "Name", "dflt"),
              "dflt");
    EXPECT_EQ(modRegistry::SaveRegLong(HKEY_CURRENT_USER, kKey, "Number", 5), "Success");
    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER, kKey, "Number", "dflt"), "dflt");
    // A text stored with embedded NULs reads up to the first.
    WriteRaw(kKey, "Nul", REG_SZ, std::string("ab\0cd", 5));
    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER, kKey, "Nul", "dflt"), "ab");
}

TEST_F(RegistryContractTest, LongsRoundTripAndDefaultForEveryOtherType) {
    for (const int32_t value : {0, -1, INT_MIN, INT_MAX, 42}) {
        EXPECT_EQ(modRegistry::SaveRegLong(HKEY_CURRENT_USER, kKey, "Debug", value), "Success");
        EXPECT_EQ(modRegistry::GetRegLong(HKEY_CURRENT_USER, kKey, "Debug", 7), value);
    }
    EXPECT_EQ(Stored(kKey, "Debug"), std::make_pair(static_cast<uint32_t>(REG_DWORD), 4u));
    EXPECT_EQ(modRegistry::SaveRegString(HKEY_CURRENT_USER, kKey, "Text", "123"), "Success");
    EXPECT_EQ(modRegistry::GetRegLong(HKEY_CURRENT_USER, kKey, "Text", 7), 7);
    EXPECT_EQ(modRegistry::GetRegLong(HKEY_CURRENT_USER, kKey, "Missing", -9), -9);
    EXPECT_EQ(modRegistry::GetRegLong(HKEY_CURRENT_USER, Sub("NoSuchKey"), "Debug", -9), -9);
}

TEST_F(RegistryContractTest, SaveProceduresReportAFailedKeyThroughTheirStatusTexts) {
    constexpr int32_t kNoRoot = 0;
    EXPECT_EQ(modRegistry::SaveRegString(kNoRoot, kKey, "Name", "x"),
              "No! Key to Delete Or Key Not Found");
    EXPECT_EQ(modRegistry::SaveRegLong(kNoRoot, kKey, "Name", 1), "No! Failed to save Value");
    EXPECT_EQ(modRegistry::GetRegString(kNoRoot, kKey, "Name", "dflt"), "dflt");
    EXPECT_EQ(modRegistry::GetRegLong(kNoRoot, kKey, "Name", 3), 3);
}

TEST_F(RegistryContractTest, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
    EXPECT_EQ(modRegistry::SaveRegString(HKEY_CURRENT_USER, kKey, "MixedCase", "one"), "Success");
    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER,
                                        "SOFTWARE\\kestrova\\vellumocontracttest", "MIXEDCASE",
                                        "dflt"),
              "one");
    EXPECT_EQ(modRegistry::SaveRegString(HKEY_CURRENT_USER, kKey, "mixedcase", "two"), "Success");
    auto reg = At(kKey);
    std::vector<std::string> names;
    int32_t count = 0;
    reg.EnumerateValues(names, count);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(names[1], "MixedCase");
    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER, kKey, "MixedCase", "dflt"), "two");
}

// ---- cRegistry: reading ----

TEST_F(RegistryContractTest, ValueOfAMissingValueIsDefaultAndLeavesValueTypeAlone) {
    auto reg = At(kKey, "Missing");
    EXPECT_TRUE(IsEmpty(reg.Value()));
    reg.SetValueType(REG_BINARY);
    reg.SetDefault(std::string("fallback"));
    EXPECT_EQ(reg.Value(), Variant(std::string("fallback")));
    EXPECT_EQ(reg.ValueType(), REG_BINARY);
    reg.SetSectionKey(Sub("NoSuchKey"));
    EXPECT_EQ(reg.Value(), Variant(std::string("fallback")));
}

TEST_F(RegistryContractTest, TextsReadBackWholeWhetherOrNotStoredWithTheirTerminator) {
    EXPECT_EQ(modRegistry::SaveRegString(HKEY_CURRENT_USER, kKey, "NoNul", "abc"),
              "Success"); // 3 bytes, no NUL
    auto reg = At(kKey, "NoNul");
    EXPECT_EQ(reg.Value(), Variant(std::string("abc")));
    EXPECT_EQ(reg.ValueType(), REG_SZ);

    reg.SetValueKey("WithNul");
    reg.SetValue(std::string("abc"));
    EXPECT_EQ(Stored(kKey, "WithNul").second, 4u);
    EXPECT_EQ(reg.Value(), Variant(std::string("abc")));

    EXPECT_EQ(modRegistry::SaveRegString(HKEY_CURRENT_USER, kKey, "Empty", ""), "Success");
    reg.SetValueKey("Empty");
    EXPECT_EQ(reg.Value(), Variant(std::string()));

    // A multi-string keeps the NULs between its items and the one ending the last item.
    WriteRaw(kKey, "Multi", REG_MULTI_SZ, std::string("one\0two\0\0", 9));
    reg.SetValueKey("Multi");
    EXPECT_EQ(reg.Value(), Variant(std::string("one\0two\0", 8)));
    EXPECT_EQ(reg.ValueType(), REG_MULTI_SZ);
}

TEST_F(RegistryContractTest, DwordsReadInBothByteOrdersAndOtherTypesAsByteArraysOneLonger) {
    EXPECT_EQ(modRegistry::SaveRegLong(HKEY_CURRENT_USER, kKey, "Le", 0x01020304), "Success");
    auto reg = At(kKey, "Le");
    EXPECT_EQ(reg.Value(), Variant(int32_t{0x01020304}));
    EXPECT_EQ(reg.ValueType(), REG_DWORD);

    WriteRaw(kKey, "Be", REG_DWORD_BIG_ENDIAN, std::string("\x01\x02\x03\x04", 4));
    reg.SetValueKey("Be");
    EXPECT_EQ(reg.Value(), Variant(int32_t{0x01020304}));
    EXPECT_EQ(reg.ValueType(), REG_DWORD_BIG_ENDIAN);

    WriteRaw(kKey, "Bin", REG_BINARY, std::string("\x00\xff\x10", 3));
    reg.SetValueKey("Bin");
    EXPECT_EQ(reg.Value(), Variant(ByteArray{0x00, 0xFF, 0x10, 0x00}));
    EXPECT_EQ(reg.ValueType(), REG_BINARY);

    WriteRaw(kKey, "None", REG_NONE, "");
    reg.SetValueKey("None");
    EXPECT_EQ(reg.Value(), Variant(ByteArray{0x00}));
    EXPECT_EQ(reg.ValueType(), REG_NONE);
}

TEST_F(RegistryContractTest, ExpandableTextsReadWithTheirEnvironmentReferencesExpanded) {
    test::SetEnv("VELLUMO_CONTRACT_DIR", "/opt/vellumo");
    test::UnsetEnv("VELLUMO_CONTRACT_UNSET");
    // Variable names compare without regard to case; unknown references and lone "%" stay.
    WriteRaw(kKey, "Path", REG_EXPAND_SZ,
             std::string("%vellumo_contract_dir%\\data;%VELLUMO_CONTRACT_UNSET%;50%") + '\0');
    auto reg = At(kKey, "Path");
    EXPECT_EQ(reg.Value(), Variant(std::string("/opt/vellumo\\data;%VELLUMO_CONTRACT_UNSET%;50%")));
    EXPECT_EQ(reg.ValueType(), REG_EXPAND_SZ);
    test::UnsetEnv("VELLUMO_CONTRACT_DIR");
}

// ---- cRegistry: writing ----

TEST_F(RegistryContractTest, TextsAreStoredExpandableOnlyForPercentAnyCharacterPercent) {
    struct Case {
        const char* text;
        eValueType stored;
    };
    const Case cases[] = {
        {"plain", REG_SZ},
        {"50%", REG_SZ},
        {"%%", REG_SZ},
        {"a%%b", REG_SZ},
        {"%a%", REG_EXPAND_SZ},
        {"%%%", REG_EXPAND_SZ},
        {"5% or 6%", REG_EXPAND_SZ},
        // A malformed byte is a character of its own, never the start of a longer one.
        {"%\xC3%", REG_EXPAND_SZ},
        {"%\xE2\x82%", REG_EXPAND_SZ},
    };
    auto reg = At(kKey);
    for (const auto& c : cases) {
        for (const eValueType asked : {REG_SZ, REG_EXPAND_SZ}) {
            reg.SetValueKey("V");
            reg.SetValueType(asked);
            reg.SetValue(std::string(c.text));
            EXPECT_EQ(Stored(kKey, "V").first, static_cast<uint32_t>(c.stored)) << c.text;
        }
    }
}

TEST_F(RegistryContractTest, ValueTypeRead4ThenAnIntegerWritesADword) {
    EXPECT_EQ(modRegistry::SaveRegLong(HKEY_CURRENT_USER, kKey, "Flag", 1), "Success");
    auto reg = At(kKey, "Flag");
    (void)reg.Value();
    ASSERT_EQ(reg.ValueType(), REG_DWORD);
    reg.SetValue(int16_t{-1}); // a flag: sign-extended
    EXPECT_EQ(modRegistry::GetRegLong(HKEY_CURRENT_USER, kKey, "Flag", 0), -1);
    reg.SetValue(int32_t{INT_MIN});
    EXPECT_EQ(modRegistry::GetRegLong(HKEY_CURRENT_USER, kKey, "Flag", 0), INT_MIN);
    // Also for REG_DWORD_BIG_ENDIAN the bytes go least significant first, as a REG_DWORD.
    reg.SetValueType(REG_DWORD_BIG_ENDIAN);
    reg.SetValue(int32_t{0x0A0B0C0D});
    EXPECT_EQ(Stored(kKey, "Flag"), std::make_pair(static_cast<uint32_t>(REG_DWORD), 4u));
    EXPECT_EQ(modRegistry::GetRegLong(HKEY_CURRENT_USER, kKey, "Flag", 0), 0x0A0B0C0D);
}

TEST_F(RegistryContractTest, TextWithDwordTypeIsSilentlyNotWritten) {
    auto reg = At(kKey, "Number");
    reg.SetValueType(REG_DWORD);
    EXPECT_NO_THROW(reg.SetValue(std::string("123")));
    EXPECT_EQ(Stored(kKey, "Number").first, 0xFFFFFFFFu);
    EXPECT_TRUE(reg.KeyExists()); // the key itself was created
}

TEST_F(RegistryContractTest, ByteArraysAreWrittenWhole) {
    auto reg = At(kKey, "Bin");
    reg.SetValueType(REG_BINARY);
    reg.SetValue(ByteArray{1, 2, 3});
    EXPECT_EQ(Stored(kKey, "Bin"), std::make_pair(static_cast<uint32_t>(REG_BINARY), 3u));
    EXPECT_EQ(reg.Value(), Variant(ByteArray{1, 2, 3, 0}));
    reg.SetValue(ByteArray{});
    EXPECT_EQ(Stored(kKey, "Bin"), std::make_pair(static_cast<uint32_t>(REG_BINARY), 0u));

    // A value read and written back, changed or not, keeps its size: the 0 that reading added
    // is not written. An array of another length, or one whose last byte was changed, is the
    // caller's own and written whole.
    reg.SetValue(ByteArray{1, 2, 3});
    for (int round = 0; round < 3; ++round) {
        Variant read = reg.Value();
        std::get<ByteArray>(read)[0] = static_cast<uint8_t>(round);
        reg.SetValue(read);
        EXPECT_EQ(Stored(kKey, "Bin"), std::make_pair(static_cast<uint32_t>(REG_BINARY), 3u));
    }
    EXPECT_EQ(reg.Value(), Variant(ByteArray{2, 2, 3, 0}));
    reg.SetValue(ByteArray{2, 2, 3, 9});
    EXPECT_EQ(Stored(kKey, "Bin"), std::make_pair(static_cast<uint32_t>(REG_BINARY), 4u));
    (void)reg.Value();
    reg.SetValue(ByteArray{7, 0});
    EXPECT_EQ(Stored(kKey, "Bin"), std::make_pair(static_cast<uint32_t>(REG_BINARY), 2u));
}

TEST_F(RegistryContractTest, FailedWritesRaiseWithNumbersDescriptionsAndSource) {
    // A new object's ValueType 0: nothing written, 0x800469A9.
    auto reg = At(kKey, "X");
    RuntimeError e = Raised([&] { reg.SetValue(std::string("abc")); });
    EXPECT_EQ(e.Number(), static_cast<int32_t>(0x800469A9u));
    EXPECT_EQ(e.Number(), -2147194455);
    EXPECT_EQ(e.Description(), std::string("Failed to set registry value Key: '") + kRootText +
                                   "',Section: '" + kKey + "',Key: 'X' to value: 'abc'");
    EXPECT_EQ(e.Source(), kSource);
    EXPECT_EQ(Stored(kKey, "X").first, 0xFFFFFFFFu);

    // REG_BINARY of something that is not a byte array: 26001 with the generic description.
    reg.SetValueType(REG_BINARY);
    e = Raised([&] { reg.SetValue(int32_t{5}); });
    EXPECT_EQ(e.Number(), 26001);
    EXPECT_EQ(e.Description(), "Application-defined or object-defined error");
    EXPECT_EQ(e.Source(), kSource);

    // A key that cannot be created: 26001 with the set-value description.
    cRegistry noRoot;
    noRoot.SetSectionKey(kKey);
    noRoot.SetValueKey("V");
    noRoot.SetValueType(REG_SZ);
    e = Raised([&] { noRoot.SetValue(int32_t{7}); });
    EXPECT_EQ(e.Number(), 26001);
    EXPECT_EQ(e.Description(), std::string("Failed to set registry value Key: '0',Section: '") +
                                   kKey + "',Key: 'V' to value: '7'");
    e = Raised([&] { noRoot.CreateKey(); });
    EXPECT_EQ(e.Number(), 26001);
    EXPECT_EQ(e.Description(), std::string("Failed to create registry Key: '") + kKey);
    EXPECT_EQ(e.Source(), kSource);
}

// ---- cRegistry: keys, deletion, enumeration ----

TEST_F(RegistryContractTest, KeysAreCreatedWithTheirParentsAndDeletedOnlyWithoutSubkeys) {
    auto reg = At(Sub("A\\B\\C"));
    EXPECT_FALSE(reg.KeyExists());
    EXPECT_TRUE(reg.CreateKey());
    EXPECT_TRUE(reg.KeyExists());
    EXPECT_TRUE(reg.CreateKey()); // an existing key is simply opened

    auto parent = At(Sub("A"));
    RuntimeError e = Raised([&] { parent.DeleteKey(); });
    EXPECT_EQ(e.Number(), 26001);
    EXPECT_EQ(e.Description(), std::string("Failed to delete registry Key: '") + kRootText +
                                   "',Section: '" + Sub("A"));
    EXPECT_EQ(e.Source(), kSource);
    EXPECT_TRUE(parent.KeyExists());

    EXPECT_TRUE(reg.DeleteKey());
    EXPECT_FALSE(reg.KeyExists());
    e = Raised([&] { reg.DeleteKey(); });
    EXPECT_EQ(e.Number(), 26001);
}

TEST_F(RegistryContractTest, DeleteValueRaisesForAMissingKeyOrValue) {
    EXPECT_EQ(modRegistry::SaveRegString(HKEY_CURRENT_USER, kKey, "Gone", "x"), "Success");
    auto reg = At(kKey, "Gone");
    EXPECT_TRUE(reg.DeleteValue());
    EXPECT_EQ(Stored(kKey, "Gone").first, 0xFFFFFFFFu);

    RuntimeError e = Raised([&] { reg.DeleteValue(); });
    EXPECT_EQ(e.Number(), 26001);
    EXPECT_EQ(e.Description(), std::string("Failed to delete registry Key: '") + kRootText +
                                   "',Section: '" + kKey + "',Key: 'Gone");
    EXPECT_EQ(e.Source(), kSource);

    reg.SetSectionKey(Sub("NoSuchKey"));
    e = Raised([&] { reg.DeleteValue(); });
    EXPECT_EQ(e.Number(), 26001);
    EXPECT_EQ(e.Description(), std::string("Failed to open key '") + kRootText + "',Section: '" +
                                   Sub("NoSuchKey") + "' for delete access");
}

TEST_F(RegistryContractTest, ValuesEnumerateInCreationOrderFromPositionOne) {
    auto reg = At(kKey);
    std::vector<std::string> names{"stale"};
    int32_t count = 99;
    EXPECT_TRUE(reg.EnumerateValues(names, count)); // missing key: True and nothing
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(names.empty());

    EXPECT_EQ(modRegistry::SaveRegString(HKEY_CURRENT_USER, kKey, "Zeta", "1"), "Success");
    EXPECT_EQ(modRegistry::SaveRegLong(HKEY_CURRENT_USER, kKey, "alpha", 2), "Success");
    EXPECT_EQ(modRegistry::SaveRegString(HKEY_CURRENT_USER, kKey, "Zeta", "3"),
              "Success"); // overwriting keeps the place
    EXPECT_TRUE(reg.EnumerateValues(names, count));
    ASSERT_EQ(count, 2);
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[1], "Zeta");
    EXPECT_EQ(names[2], "alpha");

    reg.SetValueKey("Zeta");
    reg.DeleteValue();
    EXPECT_EQ(modRegistry::SaveRegString(HKEY_CURRENT_USER, kKey, "Zeta", "4"),
              "Success"); // re-created: now last
    reg.EnumerateValues(names, count);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(names[1], "alpha");
    EXPECT_EQ(names[2], "Zeta");
}

TEST_F(RegistryContractTest, SectionsEnumerateAlphabeticallyWithoutRegardToCase) {
    auto reg = At(kKey);
    std::vector<std::string> sections;
    int32_t count = 5;
    EXPECT_TRUE(reg.EnumerateSections(sections, count));
    EXPECT_EQ(count, 0);

    for (const char* name : {"gamma", "Beta", "alpha", "Delta_1", "DELTA"}) {
        auto sub = At(Sub(name));
        sub.CreateKey();
    }
    At(Sub("Beta\\Nested")).CreateKey(); // grandchildren are not listed
    EXPECT_TRUE(reg.EnumerateSections(sections, count));
    ASSERT_EQ(count, 5);
    EXPECT_EQ(sections,
              (std::vector<std::string>{"", "alpha", "Beta", "DELTA", "Delta_1", "gamma"}));
}

TEST_F(RegistryContractTest, ExeAssociationRegistersTheTypeUnderClassesRoot) {
    constexpr const char* kExtension = "vlmtest";
    constexpr const char* kClass = "Vellumo.ContractTest";
    cRegistry reg;
    reg.SetValueType(REG_SZ);
    reg.CreateEXEAssociation("/opt/vellumo/vellumo", kClass, "Vellumo test document", kExtension,
                             2);
    const auto read = [](const std::string& path) {
        return modRegistry::GetRegString(HKEY_CLASSES_ROOT, path, "", "<missing>");
    };
    EXPECT_EQ(read(".vlmtest"), kClass);
    EXPECT_EQ(read(".vlmtest\\shell\\open\\command"), "/opt/vellumo/vellumo \"%1\"");
    EXPECT_EQ(read(kClass), "Vellumo test document");
    EXPECT_EQ(read(std::string(kClass) + "\\shell\\open\\command"), "/opt/vellumo/vellumo \"%1\"");
    EXPECT_EQ(read(std::string(kClass) + "\\DefaultIcon"), "/opt/vellumo/vellumo,2");
    EXPECT_EQ(reg.ClassKey(), HKEY_CLASSES_ROOT);
    EXPECT_EQ(reg.SectionKey(), std::string(kClass) + "\\DefaultIcon");
    EXPECT_EQ(reg.ValueKey(), "");
    DeleteTree(HKEY_CLASSES_ROOT, ".vlmtest");
    DeleteTree(HKEY_CLASSES_ROOT, kClass);

    // A negative icon index writes no icon; ValueType 0 fails at the first write.
    reg.CreateEXEAssociation("/opt/vellumo/vellumo", kClass, "Doc", kExtension, -1);
    EXPECT_EQ(read(std::string(kClass) + "\\DefaultIcon"), "<missing>");
    DeleteTree(HKEY_CLASSES_ROOT, ".vlmtest");
    DeleteTree(HKEY_CLASSES_ROOT, kClass);
    cRegistry fresh;
    EXPECT_EQ(
        Raised([&] { fresh.CreateEXEAssociation("x", kClass, "Doc", kExtension, 0); }).Number(),
        cRegistry::kErrSetValue);
    DeleteTree(HKEY_CLASSES_ROOT, ".vlmtest");
}

} // namespace
} // namespace vellumo
