// vellumo-reg against the Windows reg tool's behaviour, on both builds (the Windows build works on
// Wine's registry): the registry views, help, data that a number type needs, the recursive
// listing's layout, the default value that "add" sets, the multi-string separator, key names
// the reg tool refuses, and registry scripts exported, imported and written by hand.
#include "support/TestEnvironment.h"

#include <string>
#include <vector>

namespace vellumo {
namespace {

using test::IsolatedTest;
using test::ProcessResult;

constexpr const char* kDone = "The operation completed successfully.\n";
constexpr const char* kCancelled = "The operation was canceled by the user.\n";
constexpr const char* kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.\n";

// A registry script's bytes: the UTF-16LE byte-order mark and the text, characters up to U+FFFF.
std::string Utf16File(const std::string& utf8) {
    std::string bytes = "\xFF\xFE";
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        char32_t c = lead;
        size_t size = 1;
        if (lead >= 0xE0) {
            c = lead & 0x0F;
            size = 3;
        } else if (lead >= 0xC0) {
            c = lead & 0x1F;
            size = 2;
        }
        for (size_t k = 1; k < size; ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += size;
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

class RegToolParityTest : public IsolatedTest {
protected:
    // Runs the tool; line ends as the Linux tool writes them (the Windows C runtime writes CR LF).
    ProcessResult Reg(std::vector<std::string> args, const std::string& input = {}) {
        args.insert(args.begin(), test::BuiltProgram("vellumo-reg"));
        ProcessResult r = test::RunProcess(args, {}, input);
        for (std::string* text : {&r.out, &r.err}) {
            for (size_t at = text->find("\r\n"); at != std::string::npos; at = text->find("\r\n"))
                text->erase(at, 1);
        }
        return r;
    }
    void Run(const std::vector<std::string>& args) {
        const ProcessResult r = Reg(args);
        ASSERT_EQ(r.exitCode, 0) << args[0] << " " << args[1] << ": " << r.err;
    }
    std::string PathOf(const std::string& name) const { return (Home() / name).string(); }
    // A fresh key of the test's own below HKCU\Software (Wine's prefix outlives one test).
    std::string FreshKey(const std::string& name) {
        const std::string key = "HKCU\\Software\\VellumoParity\\" + name;
        Reg({"delete", key, "/f"});
        return key;
    }
};

TEST_F(RegToolParityTest, ViewSwitchesAndHelpSpellingsAreAccepted) {
    const std::string key = FreshKey("View");
    Run({"add", key, "/v", "x", "/d", "1", "/reg:64"});
    ProcessResult r = Reg({"query", key, "/v", "x", "/reg:64"});
    EXPECT_EQ(r.out,
              "\nHKEY_CURRENT_USER\\Software\\VellumoParity\\View\n    x    REG_SZ    1\n\n");
    EXPECT_EQ(Reg({"query", key, "/v", "x", "/REG:32"}).exitCode, 0);
    r = Reg({"query", key, "/reg:32", "/reg:64"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "ERROR: Invalid syntax.\nType \"REG QUERY /?\" for usage.\n");

    struct Help {
        std::vector<std::string> args;
        std::vector<std::string> mentions; // what the text must explain
    };
    const std::vector<Help> helps = {
        {{"/h"}, {"QUERY | ADD | DELETE | EXPORT | IMPORT"}},
        {{"--help"}, {"REG Operation /?"}},
        {{"query", "-h"}, {"REG QUERY KeyName", "/se", "/reg:32", "Examples:"}},
        {{"add", "/?"}, {"/v ", "/ve", "/t ", "/s ", "/d ", "/f ", "REG_QWORD", "Examples:"}},
        {{"delete", "--HELP"}, {"/va", "/f "}},
        {{"export", "/?"}, {"REG EXPORT KeyName FileName [/y]", "UTF-16LE"}},
        {{"import", "-?"}, {"REG IMPORT FileName"}},
    };
    for (const Help& help : helps) {
        r = Reg(help.args);
        EXPECT_EQ(r.exitCode, 0) << help.args[0];
        for (const std::string& mention : help.mentions)
            EXPECT_NE(r.out.find(mention), std::string::npos) << help.args[0] << ": " << mention;
    }
}

TEST_F(RegToolParityTest, NumberTypesNeedTheirDataAndNothingIsAdded) {
    const std::string key = FreshKey("Numbers");
    Run({"add", key});
    for (const char* type : {"REG_DWORD", "REG_QWORD", "REG_DWORD_BIG_ENDIAN"}) {
        const ProcessResult r = Reg({"add", key, "/v", "Switch", "/t", type, "/f"});
        EXPECT_EQ(r.exitCode, 1) << type;
        EXPECT_EQ(r.err, "ERROR: Invalid syntax.\nType \"REG ADD /?\" for usage.\n") << type;
    }
    const ProcessResult r = Reg({"query", key, "/v", "Switch"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, kNotFound);
}

TEST_F(RegToolParityTest, RecursiveListingNamesEveryKeyBelowButNotAnEmptyTop) {
    const std::string key = FreshKey("Tree");
    Run({"add", key + "\\A", "/v", "a", "/d", "1"});
    Run({"add", key + "\\B\\C", "/v", "c", "/d", "3"});
    const std::string full = "HKEY_CURRENT_USER\\Software\\VellumoParity\\Tree";
    const ProcessResult r = Reg({"query", key, "/s"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "\n" + // the top has no values: no line of its own
                         full + "\\A\n    a    REG_SZ    1\n\n" + //
                         full + "\\B\n\n" +                       // a key below without values
                         full + "\\B\\C\n    c    REG_SZ    3\n\n");
}

TEST_F(RegToolParityTest, AddingAKeyAloneSetsAnEmptyDefaultAndAsksBeforeReplacingIt) {
    const std::string key = FreshKey("Default");
    Run({"add", key});
    ProcessResult r = Reg({"query", key, "/ve"});
    EXPECT_EQ(r.out, "\nHKEY_CURRENT_USER\\Software\\VellumoParity\\Default\n"
                     "    (Default)    REG_SZ    \n\n");
    Run({"add", key, "/ve", "/d", "kept", "/f"});
    r = Reg({"add", key}, "n\n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, std::string("Value (Default) exists, overwrite(Yes/No)? ") + kCancelled);
    EXPECT_NE(Reg({"query", key, "/ve"}).out.find("REG_SZ    kept"), std::string::npos);
}

TEST_F(RegToolParityTest, MultiStringSeparators) {
    const std::string key = FreshKey("Multi");
    Run({"add", key, "/v", "a", "/t", "REG_MULTI_SZ", "/s", "#", "/d", "one#two#"});
    Run({"add", key, "/v", "b", "/t", "REG_MULTI_SZ", "/d", "one\\0two"});
    ProcessResult r = Reg({"query", key});
    EXPECT_EQ(r.out, "\nHKEY_CURRENT_USER\\Software\\VellumoParity\\Multi\n"
                     "    a    REG_MULTI_SZ    one\\0two\n"
                     "    b    REG_MULTI_SZ    one\\0two\n\n");
    r = Reg({"query", key, "/v", "a", "/se", ";"});
    EXPECT_NE(r.out.find("REG_MULTI_SZ    one;two\n"), std::string::npos) << r.out;
    for (const std::vector<std::string>& bad : {
             std::vector<std::string>{"/t", "REG_MULTI_SZ", "/s", "##", "/d", "a##b"},
             std::vector<std::string>{"/t", "REG_SZ", "/s", "#", "/d", "a#b"},
             std::vector<std::string>{"/t", "REG_MULTI_SZ", "/s", "#", "/d", "a##b"},
         }) {
        std::vector<std::string> args = {"add", key, "/v", "c"};
        args.insert(args.end(), bad.begin(), bad.end());
        EXPECT_EQ(Reg(args).exitCode, 1) << bad[1] << " " << bad[3] << " " << bad[5];
    }
    EXPECT_EQ(Reg({"query", key, "/v", "c"}).exitCode, 1);
}

TEST_F(RegToolParityTest, KeyNamesTheRegToolRefuses) {
    const std::string refused = "ERROR: Invalid key name.\nType \"REG ADD /?\" for usage.\n";
    for (const char* name :
         {"HKCU\\", "HKCU\\Software\\\\", "HKCU\\Software\\VellumoParity\\\\\\"}) {
        const ProcessResult r = Reg({"add", name, "/v", "RootValue", "/d", "x", "/f"});
        EXPECT_EQ(r.exitCode, 1) << name;
        EXPECT_EQ(r.err, refused) << name;
    }
    EXPECT_EQ(Reg({"query", "HKCU", "/v", "RootValue"}).exitCode, 1);
    // One trailing backslash below the root is passed over.
    const std::string key = FreshKey("Trailing");
    Run({"add", key});
    EXPECT_EQ(Reg({"query", key + "\\"}).exitCode, 0);
    // The shell took the backslashes of an unquoted name.
    const ProcessResult r = Reg({"query", "HKCUSoftwareKestrova"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("quote the key name"), std::string::npos) << r.err;
}

TEST_F(RegToolParityTest, AScriptWrittenByHandImportsAndExportsInTheWindowsFormat) {
    const std::string key = FreshKey("Hand");
    const std::string full = "HKEY_CURRENT_USER\\Software\\VellumoParity\\Hand";
    test::WriteFile(Home() / "hand.reg",
                    Utf16File("Windows Registry Editor Version 5.00\r\n"
                              "\r\n"
                              "; written by hand, as support would\r\n"
                              "[" +
                              full +
                              "]\r\n"
                              "@=\"Default text\"\r\n"
                              "\"Bytes\"=hex:0a,FF,\\\r\n"
                              "  10\r\n"
                              "\"Count\" = dword:1f\r\n"
                              "\"Expand\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,00,00\r\n"
                              "\"Gone\"=\"soon\"\r\n"
                              "\"Gone\"=-\r\n"
                              "\"List\"=hex(7):61,00,00,00,fc,00,00,00,00,00\r\n"
                              "\"Quoted\"=\"say \\\"hi\\\" C:\\\\x\"\r\n"
                              "\"Wide\"=\"J\xC3\xBCrgen\"\r\n"
                              "\r\n"
                              "[" +
                              full +
                              "\\Old]\r\n"
                              "\"x\"=\"1\"\r\n"
                              "\r\n"
                              "[-" +
                              full +
                              "\\Old]\r\n"
                              "\r\n"
                              "[" +
                              full +
                              "\\Sub]\r\n"
                              "\"Big\"=hex(b):01,00,00,00,00,00,00,00\r\n"));
    ProcessResult r = Reg({"import", PathOf("hand.reg")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, kDone);
    r = Reg({"export", key, PathOf("out.reg")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(test::ReadFile(Home() / "out.reg"),
              Utf16File("Windows Registry Editor Version 5.00\r\n"
                        "\r\n"
                        "[" +
                        full +
                        "]\r\n"
                        "@=\"Default text\"\r\n"
                        "\"Bytes\"=hex:0a,ff,10\r\n"
                        "\"Count\"=dword:0000001f\r\n"
                        "\"Expand\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,00,00\r\n"
                        "\"List\"=hex(7):61,00,00,00,fc,00,00,00,00,00\r\n"
                        "\"Quoted\"=\"say \\\"hi\\\" C:\\\\x\"\r\n"
                        "\"Wide\"=\"J\xC3\xBCrgen\"\r\n"
                        "\r\n"
                        "[" +
                        full +
                        "\\Sub]\r\n"
                        "\"Big\"=hex(b):01,00,00,00,00,00,00,00\r\n"
                        "\r\n"));

    // An existing file is replaced only when the question is answered yes, or with /y.
    test::WriteFile(Home() / "out.reg", "keep");
    r = Reg({"export", key, PathOf("out.reg")}, "no\n");
    EXPECT_EQ(r.out,
              "File " + PathOf("out.reg") + " already exists, overwrite(Yes/No)? " + kCancelled);
    EXPECT_EQ(test::ReadFile(Home() / "out.reg"), "keep");
    EXPECT_EQ(Reg({"export", key, PathOf("out.reg"), "/y"}).out, kDone);
    EXPECT_NE(test::ReadFile(Home() / "out.reg"), "keep");
}

TEST_F(RegToolParityTest, ExportThenImportRestoresEveryValueType) {
    const std::string key = FreshKey("Types");
    Run({"add", key, "/ve", "/d", "default"});
    Run({"add", key, "/v", "a binary", "/t", "REG_BINARY", "/d", "00ff10"});
    Run({"add", key, "/v", "b dword", "/t", "REG_DWORD", "/d", "4294967295"});
    Run({"add", key, "/v", "c big endian", "/t", "REG_DWORD_BIG_ENDIAN", "/d", "0x01020304"});
    Run({"add", key, "/v", "d expand", "/t", "REG_EXPAND_SZ", "/d", "%PATH%;x"});
    Run({"add", key, "/v", "e multi", "/t", "REG_MULTI_SZ", "/d", "x\\0y z"});
    Run({"add", key, "/v", "f none", "/t", "REG_NONE", "/d", "raw"});
    Run({"add", key, "/v", "g qword", "/t", "REG_QWORD", "/d", "0x1122334455667788"});
    Run({"add", key, "/v", "h text", "/d", "a \"quoted\" \\ text"});
    Run({"add", key, "/v", "i empty binary", "/t", "REG_BINARY"});
    Run({"add", key + "\\Below\\Deeper", "/v", "j", "/d", "deep"});
    // Types that "add" cannot make, and a text without its NUL: from a script.
    test::WriteFile(Home() / "odd.reg",
                    Utf16File("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\"
                              "Software\\VellumoParity\\Types]\r\n"
                              "\"k link\"=hex(6):41,00\r\n"
                              "\"l own type\"=hex(1234):01,02,03\r\n"
                              "\"m unended\"=hex(1):61,00,62,00\r\n"
                              "\"n lines\"=hex(1):61,00,0d,00,0a,00,62,00,00,00\r\n"));
    Run({"import", PathOf("odd.reg")});
    const ProcessResult before = Reg({"query", key, "/s"});

    Run({"export", key, PathOf("first.reg")});
    Run({"delete", key, "/f"});
    EXPECT_EQ(Reg({"query", key}).exitCode, 1);
    Run({"import", PathOf("first.reg")});
    Run({"export", key, PathOf("second.reg")});
    EXPECT_EQ(test::ReadFile(Home() / "second.reg"), test::ReadFile(Home() / "first.reg"));
    const ProcessResult after = Reg({"query", key, "/s"});
    EXPECT_EQ(after.out, before.out);
    EXPECT_NE(after.out.find("    k link    REG_LINK    4100\n"), std::string::npos) << after.out;
    EXPECT_NE(after.out.find("    l own type    0x1234    010203\n"), std::string::npos);
}

TEST_F(RegToolParityTest, ScriptsThatCannotBeReadChangeNothing) {
    const std::string key = FreshKey("Refused");
    struct Case {
        std::string content;
        std::string message;
    };
    const std::string section = "[HKEY_CURRENT_USER\\Software\\VellumoParity\\Refused]\r\n";
    const std::vector<Case> cases = {
        {"just some text\r\n", "ERROR: The specified file is not a registry script."},
        {Utf16File("Windows Registry Editor Version 5.00\r\n\r\n" + section +
                   "\"a\"=\"1\"\r\n\"b\"=dword:123456789\r\n"),
         "ERROR: Line 5 of " + PathOf("script.reg") + ": a dword"},
        {Utf16File("Windows Registry Editor Version 5.00\r\n\"a\"=\"1\"\r\n"),
         "ERROR: Line 2 of " + PathOf("script.reg") + ": a value that follows no key"},
        {Utf16File("Windows Registry Editor Version 5.00\r\n" + section + "\"a\"=hex:0g\r\n"),
         "ERROR: Line 3 of " + PathOf("script.reg") + ": a byte list"},
        {Utf16File("REGEDIT4\r\n" + section + "\"a\"=\"unended\r\n"),
         "ERROR: Line 3 of " + PathOf("script.reg") + ": a quoted text without"},
        {Utf16File("Windows Registry Editor Version 5.00\r\n[HKEY_NOWHERE\\X]\r\n"),
         "ERROR: Line 2 of " + PathOf("script.reg") + ": the key name HKEY_NOWHERE\\X"},
    };
    for (const Case& c : cases) {
        test::WriteFile(Home() / "script.reg", c.content);
        const ProcessResult r = Reg({"import", PathOf("script.reg")});
        EXPECT_EQ(r.exitCode, 1) << c.message;
        EXPECT_EQ(r.err.rfind(c.message, 0), 0u) << r.err;
    }
    EXPECT_EQ(Reg({"query", key}).exitCode, 1); // not even the first section's key
    const ProcessResult r = Reg({"import", PathOf("missing.reg")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.rfind("ERROR: Error opening the file " + PathOf("missing.reg") + ": ", 0), 0u)
        << r.err;
}

} // namespace
} // namespace vellumo
