// Tests of the vellumo-pack tool: round trips through the real program, its progress bar, its
// command line and its failures, including a folder it may not write to.
#include "support/TestEnvironment.h"

#include <random>
#include <string>
#include <sys/stat.h>

namespace vellumo::test {
namespace {

std::string RandomText(size_t size, uint32_t seed, bool repetitive) {
    std::mt19937 random(seed);
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i)
        data[i] = repetitive ? "support staff unpack "[(i + random() % 2) % 21]
                             : static_cast<char>(random());
    return data;
}

class VellumoPackTest : public IsolatedTest {
protected:
    ProcessResult Pack(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), BuiltProgram("vellumo-pack"));
        return RunProcess(arguments);
    }
    std::string PathOf(const std::string& name) const { return (Home() / name).string(); }
};

TEST_F(VellumoPackTest, RoundTripsOfManySizes) {
    WriteFile(Home() / "password.txt", "correct horse\n");
    for (size_t size : {size_t{0}, size_t{1}, size_t{17}, size_t{18}, size_t{19}, size_t{4095},
                        size_t{4096}, size_t{4097}, size_t{1} << 20}) {
        for (bool repetitive : {false, true}) {
            const std::string data = RandomText(size, static_cast<uint32_t>(size), repetitive);
            WriteFile(Home() / "in file.bin", data); // a value may contain spaces
            const std::string label =
                std::to_string(size) + (repetitive ? " repetitive" : " random");

            ProcessResult r =
                Pack({"--compress", PathOf("in file.bin"), "--out", PathOf("packed.lz")});
            ASSERT_EQ(r.exitCode, 0) << label << r.err;
            r = Pack({"--decompress", PathOf("packed.lz"), "--out", PathOf("unpacked.bin")});
            ASSERT_EQ(r.exitCode, 0) << label << r.err;
            EXPECT_EQ(ReadFile(Home() / "unpacked.bin"), data) << label;

            r = Pack({"--encipher", PathOf("in file.bin"), "--out", PathOf("secret.bin"),
                      "--password-file", PathOf("password.txt")});
            ASSERT_EQ(r.exitCode, 0) << label << r.err;
            EXPECT_EQ(ReadFile(Home() / "secret.bin").size(), data.size());
            r = Pack({"--encipher", PathOf("secret.bin"), "--out", PathOf("plain.bin"),
                      "--password-file", PathOf("password.txt")});
            ASSERT_EQ(r.exitCode, 0) << label << r.err;
            EXPECT_EQ(ReadFile(Home() / "plain.bin"), data) << label;
            EXPECT_TRUE(r.out.empty());
            EXPECT_TRUE(r.err.empty());
        }
    }
}

TEST_F(VellumoPackTest, ProgressBarOnStandardError) {
    WriteFile(Home() / "in.bin", RandomText(100000, 1, true));
    const ProcessResult r =
        Pack({"--compress", PathOf("in.bin"), "--out", PathOf("packed.lz"), "--progress"});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_NE(r.err.find("\r[#"), std::string::npos);
    EXPECT_NE(r.err.find("] 100%\n"), std::string::npos);
    EXPECT_TRUE(r.out.empty());
}

TEST_F(VellumoPackTest, CommandLineMistakesAreUsageErrors) {
    WriteFile(Home() / "in.bin", "x");
    const std::string in = PathOf("in.bin"), out = PathOf("out.bin");
    const std::vector<std::vector<std::string>> mistakes = {
        {},
        {"in.bin", "--compress", in, "--out", out},
        {"--compress", in},
        {"--compress", "--out", out},
        {"--compress", in, "--decompress", in, "--out", out},
        {"--compress", in, "--out", out, "--out", out},
        {"--encipher", in, "--out", out},
        {"--encipher", in, "--out", out, "--password", "secret"}, // never on the command line
        {"--compress", in, "--out", out, "--password-file", in},
        {"--compress", in, "--out", out, "--progress", "yes"},
        {"--compress", PathOf("a--b"), "--out", out},
    };
    for (const auto& arguments : mistakes) {
        const ProcessResult r = Pack(arguments);
        std::string line;
        for (const auto& a : arguments)
            line += a + " ";
        EXPECT_EQ(r.exitCode, 2) << line;
        EXPECT_NE(r.err.find("vellumo-pack: "), std::string::npos) << line << r.err;
    }
    // Overlapping delimiters are the parser's failure: its error box is the message.
    const ProcessResult overlap = Pack({"--compress", in, "---out", out});
    EXPECT_EQ(overlap.exitCode, 2);
    EXPECT_EQ(overlap.err, "Parse: Error: 5. Invalid procedure call or argument\n");

    const ProcessResult help = Pack({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--password-file FILE"), std::string::npos);
}

TEST_F(VellumoPackTest, FailuresGiveOneLineAndNonZero) {
    WriteFile(Home() / "plain.txt", "not packed at all");
    WriteFile(Home() / "empty-password.txt", "\n");
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"--decompress", PathOf("missing.lz"), "--out", PathOf("o")},
         "Decompress: Error: 53. File not found\n"},
        {{"--decompress", PathOf("plain.txt"), "--out", PathOf("o")},
         "vellumo-pack: " + PathOf("plain.txt") + " is not a packed file\n"},
        {{"--encipher", PathOf("plain.txt"), "--out", PathOf("o"), "--password-file",
          PathOf("empty-password.txt")},
         "vellumo-pack: the password file " + PathOf("empty-password.txt") +
             " holds no password\n"},
        {{"--encipher", PathOf("plain.txt"), "--out", PathOf("o"), "--password-file",
          PathOf("none.txt")},
         "vellumo-pack: cannot read the password file " + PathOf("none.txt") + "\n"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = Pack(c.arguments);
        EXPECT_EQ(r.exitCode, 1) << c.message;
        EXPECT_EQ(r.err, c.message);
    }

    // A truncated packed file: the progress bar's line ends before the message.
    WriteFile(Home() / "in.bin", RandomText(200000, 2, false));
    ASSERT_EQ(Pack({"--compress", PathOf("in.bin"), "--out", PathOf("packed.lz")}).exitCode, 0);
    const std::string packed = ReadFile(Home() / "packed.lz");
    WriteFile(Home() / "cut.lz", packed.substr(0, packed.size() / 2));
    const ProcessResult r =
        Pack({"--decompress", PathOf("cut.lz"), "--out", PathOf("o"), "--progress"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("%\nDecompress: Error: 62. Input past end of file\n"), std::string::npos)
        << r.err;
}

TEST_F(VellumoPackTest, FolderThatMayNotBeWrittenIsReported) {
    // The unprivileged user may read the input but not write into the locked folder.
    const fs::path locked = Home() / "locked";
    fs::create_directories(locked);
    WriteFile(Home() / "in.bin", "data");
    chmod(Home().c_str(), 0755);
    chmod((Home() / "in.bin").c_str(), 0644);
    chmod(locked.c_str(), 0555);
    const ProcessResult r =
        RunProcessAsNobody({BuiltProgram("vellumo-pack"), "--compress", PathOf("in.bin"), "--out",
                            (locked / "out.lz").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Compress: Error: 75. Path/File access error\n");
    EXPECT_FALSE(fs::exists(locked / "out.lz"));
}

TEST_F(VellumoPackTest, OutputThatIsTheInputIsRefusedAndTheFileKept) {
    const std::string notes(150000, 'n');
    WriteFile(Home() / "notes.txt", notes);
    WriteFile(Home() / "password.txt", "pw\n");
    fs::create_symlink(Home() / "notes.txt", Home() / "link.txt");
    fs::create_hard_link(Home() / "notes.txt", Home() / "hard.txt");
    for (const char* output : {"notes.txt", "link.txt", "hard.txt"}) {
        for (const std::vector<std::string>& operation :
             {std::vector<std::string>{"--compress"}, std::vector<std::string>{"--decompress"},
              std::vector<std::string>{"--encipher"}}) {
            std::vector<std::string> arguments = {operation[0], PathOf("notes.txt"), "--out",
                                                  PathOf(output)};
            if (operation[0] == "--encipher")
                arguments.insert(arguments.end(), {"--password-file", PathOf("password.txt")});
            const ProcessResult r = Pack(arguments);
            EXPECT_EQ(r.exitCode, 1) << output << " " << operation[0];
            EXPECT_NE(r.err.find("Error: 55. File already open"), std::string::npos) << r.err;
            EXPECT_EQ(ReadFile(Home() / "notes.txt"), notes) << output << " " << operation[0];
        }
    }
}

TEST_F(VellumoPackTest, PasswordFilesAreReadToTheirFirstLineOnly) {
    WriteFile(Home() / "in.bin", "data");
    const auto encipher = [&](const std::string& passwordFile) {
        return Pack({"--encipher", PathOf("in.bin"), "--out", PathOf("out.bin"), "--password-file",
                     passwordFile});
    };
    // A folder: a clear message, no abort.
    fs::create_directories(Home() / "folder");
    ProcessResult r = encipher(PathOf("folder"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "vellumo-pack: the password file " + PathOf("folder") + " is a folder\n");
    // An endless device: refused after a bounded read.
    r = encipher("/dev/zero");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "vellumo-pack: the first line of the password file /dev/zero is longer than "
                     "65536 bytes\n");
    // A huge file with a short first line: only the line counts.
    WriteFile(Home() / "long.txt", "secret\n" + std::string(1 << 20, 'x'));
    r = encipher(PathOf("long.txt"));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    WriteFile(Home() / "short.txt", "secret");
    r = Pack({"--encipher", PathOf("out.bin"), "--out", PathOf("back.bin"), "--password-file",
              PathOf("short.txt")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadFile(Home() / "back.bin"), "data");
}

TEST_F(VellumoPackTest, NamesInTheLocalesCharacterSetAndUnwritableOutput) {
    // The tool takes its locale from the environment, as the program does: a name outside ASCII
    // reaches the file system as it was given.
    fs::create_directories(Home() / "d\xC3\xA9");
    WriteFile(Home() / "d\xC3\xA9" / "in.bin", "data");
    ProcessResult r = RunProcess({BuiltProgram("vellumo-pack"), "--compress",
                                  PathOf("d\xC3\xA9/in.bin"), "--out", PathOf("d\xC3\xA9/out.lz")},
                                 {{"LC_ALL", "C.UTF-8"}});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::exists(Home() / "d\xC3\xA9" / "out.lz"));
    // Help that cannot be written is a failure.
    r = RunProcess({"sh", "-c", "\"$0\" --help >/dev/full", BuiltProgram("vellumo-pack")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("standard output cannot be written"), std::string::npos) << r.err;
}

} // namespace
} // namespace vellumo::test
