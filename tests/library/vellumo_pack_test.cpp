// Tests of the vellumo-pack tool: round trips through the real program, its progress bar, its
// command line and its failures, including a folder it may not write to.
#include "support/TestEnvironment.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

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

// Starts vellumo-pack with its standard error on `errorFd` (its output on /dev/null) and returns
// its process id, without waiting for it.
pid_t StartPack(const std::vector<std::string>& arguments, int errorFd) {
    std::vector<std::string> argv = {BuiltProgram("vellumo-pack")};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (auto& a : argv)
        pointers.push_back(a.data());
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, errorFd, STDERR_FILENO);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, pointers[0], &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0 ? pid : -1;
}

class VellumoPackTest : public IsolatedTest {
protected:
    ProcessResult Pack(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), BuiltProgram("vellumo-pack"));
        return RunProcess(arguments);
    }
    std::string PathOf(const std::string& name) const { return (Home() / name).string(); }
    // Hidden files beside the outputs that the test did not make: left-over temporary files.
    std::vector<std::string> StrayTemporaries() const {
        std::vector<std::string> stray;
        for (const auto& entry : fs::directory_iterator(Home())) {
            const std::string name = entry.path().filename().string();
            if (name[0] == '.' && name != ".config" && name != ".local")
                stray.push_back(name);
        }
        return stray;
    }
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

TEST_F(VellumoPackTest, ProgressIntoAFileIsALineForEveryTenth) {
    WriteFile(Home() / "in.bin", RandomText(100000, 1, true));
    const ProcessResult r =
        Pack({"--compress", PathOf("in.bin"), "--out", PathOf("packed.lz"), "--progress"});
    ASSERT_EQ(r.exitCode, 0);
    std::string expected;
    for (int tenth = 1; tenth <= 10; ++tenth)
        expected += "[" + std::string(4 * tenth, '#') + std::string(40 - 4 * tenth, '-') + "] " +
                    std::to_string(10 * tenth) + "%\n";
    EXPECT_EQ(r.err, expected);
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
        {"--compress", in, "--out", out, "--progress=yes"},
        {"--compress", in, "--out", out, "--", in},
        {"--compress", "--out", out, "--", in, in},
        {"--compress", in, "---out", out},
        {"--frobnicate", in},
    };
    for (const auto& arguments : mistakes) {
        const ProcessResult r = Pack(arguments);
        std::string line;
        for (const auto& a : arguments)
            line += a + " ";
        EXPECT_EQ(r.exitCode, 2) << line;
        EXPECT_NE(r.err.find("vellumo-pack: "), std::string::npos) << line << r.err;
    }
    for (const char* help : {"--help", "-h", "--HELP"}) {
        const ProcessResult r = Pack({help});
        EXPECT_EQ(r.exitCode, 0) << help;
        EXPECT_NE(r.out.find("--password-file FILE"), std::string::npos) << help;
    }
}

TEST_F(VellumoPackTest, NamesAreKeptByteForByteInEveryWayOfGivingThem) {
    WriteFile(Home() / " lead--name", "data with a leading space in its name");
    const std::string in = PathOf(" lead--name");
    struct Way {
        std::vector<std::string> arguments;
        std::string output;
    };
    const std::vector<Way> ways = {
        {{"--compress", in, "--out", PathOf("-dash--out")}, "-dash--out"},
        {{"--compress=" + in, "--out=" + PathOf("eq.lz")}, "eq.lz"},
        {{"--COMPRESS", in, "--Out", PathOf("upper.lz")}, "upper.lz"},
        {{"--out", PathOf("after.lz"), "--compress", "--", in}, "after.lz"},
        {{"--compress", "--out", PathOf("\xFF raw"), "--", in}, "\xFF raw"},
    };
    std::string first;
    for (const Way& way : ways) {
        const ProcessResult r = Pack(way.arguments);
        ASSERT_EQ(r.exitCode, 0) << way.output << ": " << r.err;
        const std::string packed = ReadFile(Home() / way.output);
        EXPECT_EQ(first.empty() ? packed : first, packed) << way.output;
        first = packed;
    }
    ASSERT_EQ(
        Pack({"--decompress", "--out", PathOf("--back"), "--", PathOf("-dash--out")}).exitCode, 0);
    EXPECT_EQ(ReadFile(Home() / "--back"), "data with a leading space in its name");
}

TEST_F(VellumoPackTest, FailuresGiveOneLineAndNonZero) {
    WriteFile(Home() / "plain.txt", "not packed at all");
    WriteFile(Home() / "empty-password.txt", "\n");
    // A stored length no packing writes (above 2^31 - 1) is damage, not an empty file.
    WriteFile(Home() / "huge.lz", std::string("QRNLZ1\xFF\xFF\xFF\xFF\x1Fhello", 16));
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"--decompress", PathOf("missing.lz"), "--out", PathOf("o")},
         "vellumo-pack: cannot read " + PathOf("missing.lz") +
             ": No such file or directory (error 53)\n"},
        {{"--compress", PathOf("plain.txt"), "--out", PathOf("none/o")},
         "vellumo-pack: cannot write " + PathOf("none/o") +
             ": No such file or directory (error 76)\n"},
        {{"--compress", Home().string(), "--out", PathOf("o")},
         "vellumo-pack: cannot read " + Home().string() + ": it is a folder (error 75)\n"},
        {{"--decompress", PathOf("plain.txt"), "--out", PathOf("o")},
         "vellumo-pack: " + PathOf("plain.txt") + " is not a packed file\n"},
        {{"--decompress", PathOf("huge.lz"), "--out", PathOf("o")},
         "vellumo-pack: " + PathOf("huge.lz") +
             " is damaged: its stored length 4294967295 is beyond what a packed file can hold: "
             "Subscript out of range (error 9)\n"},
        {{"--encipher", PathOf("plain.txt"), "--out", PathOf("o"), "--password-file",
          PathOf("empty-password.txt")},
         "vellumo-pack: the password file " + PathOf("empty-password.txt") +
             " holds no password\n"},
        {{"--encipher", PathOf("plain.txt"), "--out", PathOf("o"), "--password-file",
          PathOf("none.txt")},
         "vellumo-pack: cannot read the password file " + PathOf("none.txt") +
             ": No such file or directory\n"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = Pack(c.arguments);
        EXPECT_EQ(r.exitCode, 1) << c.message;
        EXPECT_EQ(r.err, c.message);
        EXPECT_FALSE(fs::exists(Home() / "o")) << c.message;
    }

    // A truncated packed file or one that is not packed at all: an existing output is kept.
    WriteFile(Home() / "in.bin", RandomText(200000, 2, false));
    ASSERT_EQ(Pack({"--compress", PathOf("in.bin"), "--out", PathOf("packed.lz")}).exitCode, 0);
    const std::string packed = ReadFile(Home() / "packed.lz");
    WriteFile(Home() / "cut.lz", packed.substr(0, packed.size() / 2));
    WriteFile(Home() / "keep.txt", "kept");
    ProcessResult r =
        Pack({"--decompress", PathOf("cut.lz"), "--out", PathOf("keep.txt"), "--progress"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("%\nvellumo-pack: " + PathOf("cut.lz") +
                         " is damaged: it ends before all its bytes are unpacked: Input past end "
                         "of file (error 62)\n"),
              std::string::npos)
        << r.err;
    r = Pack({"--decompress", PathOf("plain.txt"), "--out", PathOf("keep.txt")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(ReadFile(Home() / "keep.txt"), "kept");
    EXPECT_EQ(StrayTemporaries(), std::vector<std::string>{});

    // An output name that is a dangling link: the link is replaced, its target never created.
    fs::create_symlink(Home() / "nowhere", Home() / "dangling");
    EXPECT_EQ(Pack({"--compress", PathOf("plain.txt"), "--out", PathOf("dangling")}).exitCode, 0);
    EXPECT_FALSE(fs::exists(Home() / "nowhere"));
    EXPECT_FALSE(fs::is_symlink(Home() / "dangling"));
}

TEST_F(VellumoPackTest, ARunKilledAtARandomPointLeavesTheOldOutputAndNoTemporaryFile) {
    WriteFile(Home() / "in.bin", RandomText(size_t{16} << 20, 3, false));
    WriteFile(Home() / "password.txt", "pw\n");
    ASSERT_EQ(Pack({"--compress", PathOf("in.bin"), "--out", PathOf("in.lz")}).exitCode, 0);
    struct Operation {
        std::vector<std::string> arguments;
        std::string complete; // what an uninterrupted run writes
        std::chrono::microseconds takes{0};
    };
    std::vector<Operation> operations = {
        {{"--compress", PathOf("in.bin")}, {}, {}},
        {{"--decompress", PathOf("in.lz")}, {}, {}},
        {{"--encipher", PathOf("in.bin"), "--password-file", PathOf("password.txt")}, {}, {}},
    };
    for (auto& operation : operations) {
        operation.arguments.insert(operation.arguments.end(), {"--out", PathOf("out")});
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(Pack(operation.arguments).exitCode, 0);
        operation.takes = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - start);
        operation.complete = ReadFile(Home() / "out");
    }
    std::mt19937 random(std::random_device{}());
    const std::string old = "the output of an earlier run";
    for (int trial = 0; trial < 12; ++trial) {
        const Operation& operation = operations[static_cast<size_t>(trial) % operations.size()];
        const int signal = trial % 2 == 0 ? SIGINT : SIGTERM;
        WriteFile(Home() / "out", old);
        const pid_t pid = StartPack(operation.arguments, STDERR_FILENO);
        ASSERT_GT(pid, 0);
        // Anywhere from the start to a little after the usual end of the run.
        std::uniform_int_distribution<long> delay(0, operation.takes.count() * 6 / 5);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        kill(pid, signal);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        const std::string label = operation.arguments[0] + " signal " + std::to_string(signal);
        // The old output, or the whole new one when the run got that far; never a part.
        const std::string output = ReadFile(Home() / "out");
        if (WIFSIGNALED(status)) {
            EXPECT_EQ(WTERMSIG(status), signal) << label;
            EXPECT_TRUE(output == old || output == operation.complete) << label;
        } else {
            EXPECT_EQ(WEXITSTATUS(status), 0) << label; // done before the signal came
            EXPECT_TRUE(output == operation.complete) << label;
        }
        EXPECT_EQ(StrayTemporaries(), std::vector<std::string>{}) << label;
    }
}

TEST_F(VellumoPackTest, OnATerminalTheBarIsRedrawnAndAnInterruptionEndsItsLine) {
    WriteFile(Home() / "in.bin", RandomText(size_t{32} << 20, 4, false));
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0) << "no pseudo-terminal";
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    const pid_t pid =
        StartPack({"--compress", PathOf("in.bin"), "--out", PathOf("out"), "--progress"}, terminal);
    close(terminal);
    ASSERT_GT(pid, 0);
    // Reads what the bar draws until it has passed 2 %, then interrupts.
    std::string drawn;
    char buffer[4096];
    pollfd wait{master, POLLIN, 0};
    while (drawn.find("] 2%") == std::string::npos && poll(&wait, 1, 10000) > 0) {
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n <= 0)
            break;
        drawn.append(buffer, static_cast<size_t>(n));
    }
    kill(pid, SIGINT);
    int status = 0;
    waitpid(pid, &status, 0);
    for (ssize_t n; poll(&wait, 1, 100) > 0 && (n = read(master, buffer, sizeof buffer)) > 0;)
        drawn.append(buffer, static_cast<size_t>(n));
    close(master);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_NE(drawn.find("\r[----"), std::string::npos) << drawn;
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn.back(), '\n') << "the bar's line is ended";
    EXPECT_FALSE(fs::exists(Home() / "out"));
    EXPECT_EQ(StrayTemporaries(), std::vector<std::string>{});
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
    EXPECT_EQ(r.err, "vellumo-pack: cannot write " + (locked / "out.lz").string() +
                         ": Permission denied (error 75)\n");
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
            EXPECT_NE(r.err.find("is the input file itself: File already open (error 55)"),
                      std::string::npos)
                << r.err;
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
