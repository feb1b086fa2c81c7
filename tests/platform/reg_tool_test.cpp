// vellumo-reg run as a program: the reg tool's layout for query, add and delete, its messages
// and exit status, case-insensitive key names, whole-tree deletion, and questions answered
// from standard input.
#include "platform/cRegistry.h"
#include "platform/modRegistry.h"
#include "support/TestEnvironment.h"

namespace vellumo {
namespace {

using test::IsolatedTest;
using test::ProcessResult;

constexpr const char* kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.\n";
constexpr const char* kDone = "The operation completed successfully.\n";
constexpr const char* kCancelled = "The operation was canceled by the user.\n";

class RegToolTest : public IsolatedTest {
protected:
    ProcessResult Reg(std::vector<std::string> args, const std::string& input = {}) {
        args.insert(args.begin(), test::BuiltProgram("vellumo-reg"));
        return test::RunProcess(args, {}, input);
    }
    void Add(const std::vector<std::string>& args) {
        std::vector<std::string> full = {"add"};
        full.insert(full.end(), args.begin(), args.end());
        const auto r = Reg(full);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        ASSERT_EQ(r.out, kDone);
    }
};

TEST_F(RegToolTest, AddThenQueryPrintsTheRegLayout) {
    const std::string key = "HKCU\\Software\\Kestrova\\Vellumo\\Debug";
    Add({key, "/v", "On", "/t", "REG_DWORD", "/d", "1", "/f"});
    Add({key, "/v", "Name", "/d", "two words"});
    Add({key, "/v", "Mask", "/t", "REG_DWORD", "/d", "0xFFFFFFFF"});
    Add({key, "/v", "Bytes", "/t", "REG_BINARY", "/d", "0aff10"});
    Add({key, "/v", "List", "/t", "REG_MULTI_SZ", "/d", "a\\0b"});
    Add({key, "/v", "Path", "/t", "REG_EXPAND_SZ", "/d", "%HOME%/x"});
    Add({key, "/ve", "/d", "default"});
    Add({key + "\\Sub"});

    const auto r = Reg({"query", key});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "\n"
                     "HKEY_CURRENT_USER\\Software\\Kestrova\\Vellumo\\Debug\n"
                     "    On    REG_DWORD    0x1\n"
                     "    Name    REG_SZ    two words\n"
                     "    Mask    REG_DWORD    0xffffffff\n"
                     "    Bytes    REG_BINARY    0AFF10\n"
                     "    List    REG_MULTI_SZ    a\\0b\n"
                     "    Path    REG_EXPAND_SZ    %HOME%/x\n"
                     "    (Default)    REG_SZ    default\n"
                     "\n"
                     "HKEY_CURRENT_USER\\Software\\Kestrova\\Vellumo\\Debug\\Sub\n"
                     "\n");
    const auto one = Reg({"query", key, "/v", "on"});
    EXPECT_EQ(one.exitCode, 0);
    // The value's name is printed as asked for.
    EXPECT_EQ(
        one.out,
        "\nHKEY_CURRENT_USER\\Software\\Kestrova\\Vellumo\\Debug\n    on    REG_DWORD    0x1\n\n");

    // What the tool writes, the program reads.
    EXPECT_EQ(
        modRegistry::GetRegLong(HKEY_CURRENT_USER, "Software\\Kestrova\\Vellumo\\Debug", "On", 0),
        1);
    cRegistry reg;
    reg.SetClassKey(HKEY_CURRENT_USER);
    reg.SetSectionKey("Software\\Kestrova\\Vellumo\\Debug");
    reg.SetValueKey("Name");
    EXPECT_EQ(reg.Value(), Variant(std::string("two words")));
}

TEST_F(RegToolTest, RecursiveQueriesWalkTheTree) {
    Add({"HKLM\\Software\\T", "/v", "A", "/d", "1"});
    Add({"HKLM\\Software\\T\\Inner", "/v", "A", "/d", "2"});
    Add({"HKLM\\Software\\T\\Inner\\Deep", "/v", "B", "/d", "3"});
    const auto all = Reg({"query", "HKEY_LOCAL_MACHINE\\Software\\T", "/s"});
    EXPECT_EQ(all.exitCode, 0);
    EXPECT_EQ(all.out, "\n"
                       "HKEY_LOCAL_MACHINE\\Software\\T\n"
                       "    A    REG_SZ    1\n"
                       "\n"
                       "HKEY_LOCAL_MACHINE\\Software\\T\\Inner\n"
                       "    A    REG_SZ    2\n"
                       "\n"
                       "HKEY_LOCAL_MACHINE\\Software\\T\\Inner\\Deep\n"
                       "    B    REG_SZ    3\n"
                       "\n");
    const auto search = Reg({"query", "HKLM\\Software\\T", "/v", "A", "/s"});
    EXPECT_EQ(search.exitCode, 0);
    EXPECT_EQ(search.out, "\n"
                          "HKEY_LOCAL_MACHINE\\Software\\T\n"
                          "    A    REG_SZ    1\n"
                          "\n"
                          "HKEY_LOCAL_MACHINE\\Software\\T\\Inner\n"
                          "    A    REG_SZ    2\n"
                          "\n"
                          "End of search: 2 match(es) found.\n");
}

TEST_F(RegToolTest, KeyNamesDifferingInCaseAddressTheSameKeyUnderEveryRootName) {
    Add({"HKCU\\Software\\MixedCase", "/v", "Value", "/d", "x"});
    const auto r = Reg({"query", "hkey_current_user\\SOFTWARE\\mixedcase", "/v", "VALUE"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "\nHKEY_CURRENT_USER\\SOFTWARE\\mixedcase\n    VALUE    REG_SZ    x\n\n");
    EXPECT_EQ(Reg({"query", "HKCU\\software"}).out,
              "\nHKEY_CURRENT_USER\\software\nHKEY_CURRENT_USER\\software\\MixedCase\n\n");
    for (const char* root :
         {"HKCR", "HKEY_CLASSES_ROOT", "HKLM", "HKU", "HKEY_USERS", "HKCC", "HKEY_CURRENT_CONFIG"})
        Add({std::string(root) + "\\Vellumo", "/v", "Root", "/d", root, "/f"});
    EXPECT_EQ(modRegistry::GetRegString(HKEY_CLASSES_ROOT, "Vellumo", "Root", ""),
              "HKEY_CLASSES_ROOT");
    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_CONFIG, "Vellumo", "Root", ""),
              "HKEY_CURRENT_CONFIG");
    EXPECT_EQ(modRegistry::GetRegString(HKEY_USERS, "Vellumo", "Root", ""), "HKEY_USERS");
}

TEST_F(RegToolTest, MissingKeysValuesAndBadCommandLinesFailWithExitStatusOne) {
    auto r = Reg({"query", "HKCU\\Software\\Nothing"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, kNotFound);
    Add({"HKCU\\Software\\Something"});
    r = Reg({"query", "HKCU\\Software\\Something", "/v", "Nothing"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, kNotFound);
    r = Reg({"delete", "HKCU\\Software\\Something", "/v", "Nothing", "/f"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, kNotFound);
    r = Reg({"delete", "HKCU\\Software\\Nothing", "/f"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, kNotFound);
    // The default value of a key is always there, if only as not set.
    ASSERT_EQ(Reg({"delete", "HKCU\\Software\\Something", "/ve", "/f"}).out, kDone);
    r = Reg({"query", "HKCU\\Software\\Something", "/ve"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(
        r.out,
        "\nHKEY_CURRENT_USER\\Software\\Something\n    (Default)    REG_SZ    (value not set)\n");

    r = Reg({"query", "HKXX\\Software"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "ERROR: Invalid key name.\nType \"REG QUERY /?\" for usage.\n");
    for (const auto& bad : std::vector<std::vector<std::string>>{
             {},
             {"frobnicate", "HKCU\\Software"},
             {"query"},
             {"query", "HKCU\\Software", "/d", "x"},
             {"add", "HKCU\\Software\\X", "/v"},
             {"add", "HKCU\\Software\\X", "/v", "a", "/ve"},
             {"add", "HKCU\\Software\\X", "/v", "a", "/t", "REG_DWORD", "/d", "twelve"},
             {"add", "HKCU\\Software\\X", "/v", "a", "/t", "REG_DWORD", "/d", "4294967296"},
             {"add", "HKCU\\Software\\X", "/v", "a", "/t", "REG_BINARY", "/d", "0G"},
             {"add", "HKCU\\Software\\X", "/v", "a", "/t", "REG_SOMETHING"},
             {"delete", "HKCU\\Software\\X", "/va", "/v", "a"},
             {"delete", "HKCU\\Software\\X", "/f", "/f"},
         }) {
        r = Reg(bad);
        EXPECT_EQ(r.exitCode, 1) << (bad.empty() ? "" : bad[0]);
        EXPECT_EQ(r.err.rfind("ERROR: Invalid syntax.", 0), 0u) << r.err;
    }
    cRegistry untouched;
    untouched.SetClassKey(HKEY_CURRENT_USER);
    untouched.SetSectionKey("Software\\X");
    EXPECT_FALSE(untouched.KeyExists()); // no rejected command created the key
    r = Reg({"delete", "HKCU", "/f"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.rfind("ERROR: Invalid key name.", 0), 0u);
}

TEST_F(RegToolTest, DeleteRemovesAWholeTreeWhereTheClassRefusesAKeyWithSubkeys) {
    Add({"HKCU\\Software\\Tree\\A\\B", "/v", "x", "/d", "1"});
    Add({"HKCU\\Software\\Tree\\C", "/v", "y", "/d", "2"});
    cRegistry reg;
    reg.SetClassKey(HKEY_CURRENT_USER);
    reg.SetSectionKey("Software\\Tree");
    try {
        reg.DeleteKey();
        ADD_FAILURE() << "DeleteKey of a key with subkeys succeeded";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number(), 26001);
    }
    const auto r = Reg({"delete", "hkcu\\software\\tree", "/f"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, kDone);
    EXPECT_FALSE(reg.KeyExists());
    reg.SetSectionKey("Software");
    EXPECT_TRUE(reg.KeyExists());
}

TEST_F(RegToolTest, QuestionsAreAnsweredFromStandardInputAndTheEndOfInputIsNo) {
    Add({"HKCU\\Software\\Ask", "/v", "v", "/d", "old"});
    Add({"HKCU\\Software\\Ask", "/v", "w", "/d", "keep"});

    auto r = Reg({"add", "HKCU\\Software\\Ask", "/v", "v", "/d", "new"}); // no input at all
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, std::string("Value v exists, overwrite(Yes/No)? \n") + kCancelled);
    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER, "Software\\Ask", "v", ""), "old");
    r = Reg({"add", "HKCU\\Software\\Ask", "/v", "v", "/d", "new"}, "maybe\nyes\n");
    EXPECT_EQ(r.out, std::string(
                         "Value v exists, overwrite(Yes/No)? Value v exists, overwrite(Yes/No)? ") +
                         kDone);
    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER, "Software\\Ask", "v", ""), "new");

    r = Reg({"delete", "HKCU\\Software\\Ask", "/v", "v"}, "n\n");
    EXPECT_EQ(r.out, std::string("Delete the registry value v (Yes/No)? ") + kCancelled);
    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER, "Software\\Ask", "v", "gone"), "new");
    r = Reg({"delete", "HKCU\\Software\\Ask", "/va"}, "Y\n");
    EXPECT_EQ(r.out, std::string("Delete all values under the registry key "
                                 "HKEY_CURRENT_USER\\Software\\Ask (Yes/No)? ") +
                         kDone);
    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER, "Software\\Ask", "w", "gone"), "gone");
    cRegistry reg;
    reg.SetClassKey(HKEY_CURRENT_USER);
    reg.SetSectionKey("Software\\Ask");
    EXPECT_TRUE(reg.KeyExists());
    r = Reg({"delete", "HKCU\\Software\\Ask"});
    EXPECT_EQ(
        r.out,
        std::string(
            "Permanently delete the registry key HKEY_CURRENT_USER\\Software\\Ask (Yes/No)? \n") +
            kCancelled);
    EXPECT_TRUE(reg.KeyExists());
}

} // namespace
} // namespace vellumo
