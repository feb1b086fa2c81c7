// vellumo-reg run as a program against what a careless or hostile user or store can give it: a
// key tree 30,000 levels deep, names beyond the registry's limits, a damaged store, endless
// answers on standard input, output that cannot be written and too little memory. Stores the
// registry functions would refuse to build are written directly in the store's table layout.
#include "platform/modRegistry.h"
#include "platform/posix/RegistryStoreSchema.h"
#include "support/TestEnvironment.h"

#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>

#if defined(__SANITIZE_ADDRESS__)
#define VELLUMO_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELLUMO_ADDRESS_SANITIZER 1
#endif
#endif

extern char** environ;

namespace vellumo {
namespace {

namespace fs = std::filesystem;
using test::IsolatedTest;
using test::ProcessResult;

#ifdef VELLUMO_ADDRESS_SANITIZER
// AddressSanitizer reserves terabytes of address space and keeps freed memory in quarantine:
// neither an address-space limit nor a bound on the resident size means anything under it.
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

constexpr const char* kDone = "The operation completed successfully.\n";
constexpr const char* kCancelled = "The operation was canceled by the user.\n";
constexpr const char* kCorrupt = "ERROR: The configuration registry database is corrupt.\n";
constexpr const char* kOutOfMemory =
    "ERROR: Not enough memory resources are available to complete this operation.\n";
constexpr long kMegabyte = 1024 * 1024;

// A fixed page size, so that the pages a test overwrites hold the same rows on every machine;
// then the store's own layout.
constexpr const char* kFixedPageSize = "PRAGMA page_size = 4096;";
constexpr size_t kPageSize = 4096;
constexpr const char* kCurrentUserParent = "-2147483647";

// How the built tool is run here, beyond what test::RunProcess offers: standard input and output
// from and to files (/dev/zero, /dev/full), output handed on in pieces instead of kept whole, a
// limit on the address space, and the peak resident size reported.
struct Launch {
    std::vector<std::string> args;
    std::string input = "/dev/null";
    // A file for standard output; empty: a pipe whose data goes to onOutput.
    std::string output;
    std::function<void(std::string_view)> onOutput;
    rlim_t addressSpace = RLIM_INFINITY;
    std::map<std::string, std::string> env;
};

struct Outcome {
    int exitCode = -1; // -1 when a signal ended it
    int signal = 0;
    std::string err;
    long peakKilobytes = 0;
};

Outcome RunTool(const Launch& launch) {
    // Everything the child needs is made before fork: it only calls async-signal-safe functions.
    std::vector<std::string> args = launch.args;
    args.insert(args.begin(), test::BuiltProgram("vellumo-reg"));
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> envText;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry(*e);
        if (launch.env.count(entry.substr(0, entry.find('='))) == 0)
            envText.push_back(entry);
    }
    for (const auto& [name, value] : launch.env)
        envText.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& entry : envText)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    int outPipe[2];
    int errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0)
        throw std::runtime_error("pipe failed");
    const pid_t pid = fork();
    if (pid == 0) {
        const int in = open(launch.input.c_str(), O_RDONLY);
        const int out = launch.output.empty() ? outPipe[1] : open(launch.output.c_str(), O_WRONLY);
        if (in < 0 || out < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(errPipe[1], 2) < 0)
            _exit(126);
        const rlimit limit{launch.addressSpace, launch.addressSpace};
        if (launch.addressSpace != RLIM_INFINITY && setrlimit(RLIMIT_AS, &limit) != 0)
            _exit(126);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    Outcome outcome;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::vector<char> buffer(1 << 16);
    for (int open = 2; open > 0;) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            const ssize_t n = read(fds[i].fd, buffer.data(), buffer.size());
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            } else if (i == 1) {
                outcome.err.append(buffer.data(), static_cast<size_t>(n));
            } else if (launch.onOutput) {
                launch.onOutput(std::string_view(buffer.data(), static_cast<size_t>(n)));
            }
        }
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (WIFEXITED(status))
        outcome.exitCode = WEXITSTATUS(status);
    else
        outcome.signal = WTERMSIG(status);
    outcome.peakKilobytes = usage.ru_maxrss;
    return outcome;
}

// Cuts output arriving in pieces into lines for `onLine`; what follows the last line end stays in
// `partial`.
struct LineSplitter {
    std::function<void(const std::string&)> onLine;
    std::string partial;

    void operator()(std::string_view chunk) {
        for (;;) {
            const auto end = chunk.find('\n');
            if (end == std::string_view::npos) {
                partial.append(chunk);
                return;
            }
            partial.append(chunk.substr(0, end));
            onLine(partial);
            partial.clear();
            chunk.remove_prefix(end + 1);
        }
    }
};

class RegToolHostileTest : public IsolatedTest {
protected:
    fs::path StoreFile() const { return ConfigHome() / "kestrova" / "registry.db"; }

    ProcessResult Reg(std::vector<std::string> args, const std::string& input = {}) {
        args.insert(args.begin(), test::BuiltProgram("vellumo-reg"));
        return test::RunProcess(args, {}, input);
    }

    // Writes a store file with the layout and then `sql`, closed again before the tool runs.
    void MakeStore(const std::string& sql) {
        fs::create_directories(StoreFile().parent_path());
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(StoreFile().c_str(), &db), SQLITE_OK);
        char* message = nullptr;
        const int rc = sqlite3_exec(
            db, (std::string(kFixedPageSize) + regapi::detail::kStoreLayout + sql).c_str(), nullptr,
            nullptr, &message);
        const std::string why = message != nullptr ? message : "";
        sqlite3_free(message);
        sqlite3_close(db);
        ASSERT_EQ(rc, SQLITE_OK) << why;
    }

    int64_t CountRows(const char* table) {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open_v2(StoreFile().c_str(), &db, SQLITE_OPEN_READONLY, nullptr),
                  SQLITE_OK);
        sqlite3_stmt* statement = nullptr;
        const std::string sql = std::string("SELECT count(*) FROM ") + table;
        int64_t count = -1;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            count = sqlite3_column_int64(statement, 0);
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return count;
    }

    // Overwrites the store's page in the middle of the file with bytes that are no page at all.
    void DamageMiddlePage() {
        const auto pages = fs::file_size(StoreFile()) / kPageSize;
        ASSERT_GT(pages, 8u);
        std::fstream file(StoreFile(), std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(pages / 2 * kPageSize));
        const std::string garbage(kPageSize, '\xA5');
        file.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
        ASSERT_TRUE(file.good());
    }
};

// HKCU\Deep, then 30,000 levels named "k" below it; a value at the top and one at the bottom.
constexpr int kChainLevels = 30000;

TEST_F(RegToolHostileTest, QueryAndDeleteWalkAThirtyThousandLevelTreeWithoutRecursion) {
    MakeStore(
        std::string("INSERT INTO keys(id, parent, name, fold) VALUES(1, ") + kCurrentUserParent +
        ", 'Deep', 'DEEP');" +
        "WITH RECURSIVE chain(id) AS (SELECT 2 UNION ALL SELECT id + 1 FROM chain WHERE id <= " +
        std::to_string(kChainLevels) +
        ") INSERT INTO keys(id, parent, name, fold) SELECT id, id - 1, 'k', 'K' FROM chain;" +
        "INSERT INTO vals(key, name, fold, type, data) VALUES"
        "(1, 'Top', 'TOP', 1, CAST('top' || char(0) AS BLOB)), (" +
        std::to_string(kChainLevels + 1) +
        ", 'Bottom', 'BOTTOM', 1, CAST('end' || char(0) AS BLOB));");
    std::string deepest = "HKEY_CURRENT_USER\\Deep";
    for (int level = 0; level < kChainLevels; ++level)
        deepest += "\\k";

    // A search prints only the match, at the bottom.
    const auto search = Reg({"query", "HKCU\\Deep", "/v", "bottom", "/s"});
    EXPECT_EQ(search.exitCode, 0) << search.err;
    EXPECT_EQ(search.out, "\n" + deepest +
                              "\n    bottom    REG_SZ    end\n\n"
                              "End of search: 1 match(es) found.\n");

    // The whole listing is about 900 MB: every line is checked as it arrives, none is kept.
    std::vector<std::string> expected = {"", "HKEY_CURRENT_USER\\Deep", "    Top    REG_SZ    top",
                                         ""};
    size_t lines = 0;
    size_t firstWrongLine = 0;
    std::string path = "HKEY_CURRENT_USER\\Deep";
    LineSplitter splitter;
    // Below the top, every level is its path and a blank line, values or not; the bottom level
    // has its value between them.
    const size_t levelsAbove = static_cast<size_t>(kChainLevels) - 1;
    splitter.onLine = [&](const std::string& line) {
        std::string want;
        const size_t index = lines - expected.size();
        const size_t atBottom = index - 2 * levelsAbove;
        if (lines < expected.size()) {
            want = expected[lines];
        } else if (index < 2 * levelsAbove) {
            if (index % 2 == 0)
                path += "\\k";
            want = index % 2 == 0 ? path : "";
        } else if (atBottom == 0) {
            path += "\\k";
            want = path;
        } else {
            want = atBottom == 1   ? "    Bottom    REG_SZ    end"
                   : atBottom == 2 ? ""
                                   : "(nothing more)";
        }
        if (line != want && firstWrongLine == 0)
            firstWrongLine = lines + 1;
        ++lines;
    };
    Launch listing;
    listing.args = {"query", "HKCU\\Deep", "/s"};
    listing.onOutput = std::ref(splitter);
    const Outcome all = RunTool(listing);
    EXPECT_EQ(all.exitCode, 0) << "signal " << all.signal << ": " << all.err;
    EXPECT_EQ(all.err, "");
    EXPECT_EQ(firstWrongLine, 0u) << "the first line that differs, counted from 1";
    EXPECT_EQ(lines, expected.size() + 2 * kChainLevels + 1);
    EXPECT_EQ(splitter.partial, "");
    if (!kSanitized) { // one open key and one name per level, not a copy of the path per level
        EXPECT_LT(all.peakKilobytes, 64 * 1024);
    }

    Launch remove;
    remove.args = {"delete", "HKCU\\Deep", "/f"};
    std::string removed;
    remove.onOutput = [&](std::string_view chunk) { removed.append(chunk); };
    const Outcome deleted = RunTool(remove);
    EXPECT_EQ(deleted.exitCode, 0) << "signal " << deleted.signal << ": " << deleted.err;
    EXPECT_EQ(removed, kDone);
    if (!kSanitized) {
        EXPECT_LT(deleted.peakKilobytes, 64 * 1024);
    }
    EXPECT_EQ(CountRows("keys"), 0);
    EXPECT_EQ(CountRows("vals"), 0);
}

TEST_F(RegToolHostileTest, NamesBeyondTheRegistrysLimitsAreRefusedBeforeAnythingIsTouched) {
    const auto levels = [](size_t count) {
        std::string path = "HKCU\\L";
        for (size_t i = 1; i < count; ++i)
            path += "\\L";
        return path;
    };
    const std::string wide = "\xC3\xA9"; // one character, two bytes
    std::string longestName;
    for (size_t i = 0; i < 255; ++i)
        longestName += wide;
    const std::string longestValueName(16383, 'v');

    const auto refusedKey = [](const std::string& command) {
        return "ERROR: Invalid key name.\nType \"REG " + command + " /?\" for usage.\n";
    };
    struct Refused {
        std::vector<std::string> args;
        std::string err;
    };
    const std::vector<Refused> refused = {
        {{"add", levels(513), "/v", "x", "/d", "1", "/f"}, refusedKey("ADD")},
        {{"query", levels(513)}, refusedKey("QUERY")},
        {{"delete", levels(513), "/f"}, refusedKey("DELETE")},
        {{"add", "HKCU\\" + longestName + wide}, refusedKey("ADD")},
        {{"add", "HKCU\\Software\\" + std::string(256, 'n') + "\\Below"}, refusedKey("ADD")},
        {{"add", "HKCU\\Software\\\\Empty"}, refusedKey("ADD")},
        {{"add", "HKCU\\\\Software"}, refusedKey("ADD")},
        {{"add", "HKCU\\Software", "/v", longestValueName + "v", "/d", "x"},
         "ERROR: The parameter is incorrect.\n"},
        {{"query", "HKCU\\Software", "/v", longestValueName + "v"},
         "ERROR: The parameter is incorrect.\n"},
        {{"delete", "HKCU\\Software", "/v", longestValueName + "v", "/f"},
         "ERROR: The parameter is incorrect.\n"},
        // With no command at all the hint is the tool's usage.
        {{}, "ERROR: Invalid syntax.\nType \"REG /?\" for usage.\n"},
    };
    for (const auto& [args, err] : refused) {
        const auto r = Reg(args);
        EXPECT_EQ(r.exitCode, 1) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(r.err, err) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(fs::exists(StoreFile())) << "a refused command wrote to the store";

    // Up to the limits everything works.
    auto r = Reg({"add", levels(512), "/v", "x", "/d", "deepest", "/f"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    r = Reg({"query", levels(512) + "\\", "/v", "x"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("    x    REG_SZ    deepest\n"), std::string::npos);
    r = Reg({"add", "HKCU\\Software\\" + longestName, "/v", longestValueName, "/d", "long"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    r = Reg({"query", "HKCU\\Software\\" + longestName, "/v", longestValueName});
    EXPECT_EQ(r.out, "\nHKEY_CURRENT_USER\\Software\\" + longestName + "\n    " + longestValueName +
                         "    REG_SZ    long\n\n");
    r = Reg({"delete", levels(1), "/f"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
}

TEST_F(RegToolHostileTest, KeyNamesOf255WideCharactersAreListedAndDeletedLikeAnyOther) {
    std::string name;
    for (size_t i = 0; i < 255; ++i)
        name += "\xE2\x82\xAC"; // three bytes each
    auto r = Reg({"add", "HKCU\\Wide\\" + name, "/v", "x", "/d", "1"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string full = "HKEY_CURRENT_USER\\Wide\\" + name;
    r = Reg({"query", "HKCU\\Wide"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "\nHKEY_CURRENT_USER\\Wide\n" + full + "\n\n");
    r = Reg({"query", "HKCU\\Wide", "/s"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "\n" + full + "\n    x    REG_SZ    1\n\n");
    r = Reg({"delete", "HKCU\\Wide", "/f"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Reg({"query", "HKCU\\Wide"}).exitCode, 1);
}

TEST_F(RegToolHostileTest, ADamagedStoreFailsTheListingInsteadOfShorteningIt) {
    // 3,000 values in one key, 3,000 subkeys below another; the store's page in the middle of the
    // file is then overwritten: it holds some of the values' or the subkeys' rows.
    const auto fill = [&](const std::string& rows) {
        std::error_code ignored;
        fs::remove_all(StoreFile().parent_path(), ignored);
        MakeStore(
            std::string("INSERT INTO keys(id, parent, name, fold) VALUES(1, ") +
            kCurrentUserParent +
            ", 'Many', 'MANY');"
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) " +
            rows);
        DamageMiddlePage();
    };
    const auto expectCorrupt = [](const ProcessResult& r, const std::string& what) {
        EXPECT_EQ(r.exitCode, 1) << what;
        // The store names the file and the reason on a line of its own before the tool's line.
        EXPECT_TRUE(r.err.size() >= std::string(kCorrupt).size() &&
                    r.err.compare(r.err.size() - std::string(kCorrupt).size(), std::string::npos,
                                  kCorrupt) == 0)
            << what << ": " << r.err;
    };

    fill("INSERT INTO vals(key, name, fold, type, data) "
         "SELECT 1, 'Value' || i, 'VALUE' || i, 1, CAST('data ' || i || char(0) AS BLOB) FROM n;");
    expectCorrupt(Reg({"query", "HKCU\\Many"}), "values: query");
    expectCorrupt(Reg({"query", "HKCU\\Many", "/s"}), "values: query /s");
    expectCorrupt(Reg({"delete", "HKCU\\Many", "/va", "/f"}), "values: delete /va");

    fill("INSERT INTO keys(parent, name, fold) SELECT 1, 'Sub' || i, 'SUB' || i FROM n;");
    expectCorrupt(Reg({"query", "HKCU\\Many"}), "subkeys: query");
    expectCorrupt(Reg({"query", "HKCU\\Many", "/s"}), "subkeys: query /s");
    const auto search = Reg({"query", "HKCU\\Many", "/v", "x", "/s"});
    expectCorrupt(search, "subkeys: query /v /s");
    EXPECT_EQ(search.out.find("End of search"), std::string::npos);
    expectCorrupt(Reg({"delete", "HKCU\\Many", "/f"}), "subkeys: delete");
}

TEST_F(RegToolHostileTest, AStoredSubkeyNameThatCannotBeOneLevelIsADamagedStore) {
    // "a\\b" would open the key b below a, a second time; the others no key at all.
    for (const std::string& bad : {std::string("a\\b"), std::string(), std::string(256, 'x')}) {
        std::error_code ignored;
        fs::remove_all(StoreFile().parent_path(), ignored);
        MakeStore(std::string("INSERT INTO keys(id, parent, name, fold) VALUES(1, ") +
                  kCurrentUserParent +
                  ", 'Odd', 'ODD'), (2, 1, 'a', 'A'), (3, 2, 'b', 'B'), (4, 1, '" + bad + "', '" +
                  bad + "');");
        for (const std::vector<std::string>& args :
             std::vector<std::vector<std::string>>{{"query", "HKCU\\Odd"},
                                                   {"query", "HKCU\\Odd", "/s"},
                                                   {"delete", "HKCU\\Odd", "/f"}}) {
            const auto r = Reg(args);
            EXPECT_EQ(r.exitCode, 1) << args[0] << " " << args.back() << " [" << bad << "]";
            EXPECT_EQ(r.err, kCorrupt) << args[0] << " " << args.back() << " [" << bad << "]";
        }
    }
}

TEST_F(RegToolHostileTest, AnAnswerLongerThanALineIsNoAndEndlessInputEndsPromptly) {
    const std::string key = "HKCU\\Software\\Ask";
    ASSERT_EQ(Reg({"add", key, "/v", "v", "/d", "old"}).out, kDone);
    const std::string question = "Value v exists, overwrite(Yes/No)? ";

    // 4,096 bytes is still an answer; one more is none, and the question is not asked again.
    auto r = Reg({"add", key, "/v", "v", "/d", "longest"}, "y" + std::string(4096, 'x') + "\n");
    EXPECT_EQ(r.out, question + "\n" + kCancelled);
    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER, "Software\\Ask", "v", ""), "old");
    r = Reg({"add", key, "/v", "v", "/d", "long"}, "y" + std::string(4095, 'x') + "\n");
    EXPECT_EQ(r.out, question + kDone);
    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER, "Software\\Ask", "v", ""), "long");

    // Lines that are neither yes nor no: asked again, a hundred times at most.
    std::string neither;
    for (int i = 0; i < 150; ++i)
        neither += "maybe\n";
    r = Reg({"add", key, "/v", "v", "/d", "undecided"}, neither);
    std::string asked;
    for (int i = 0; i < 100; ++i)
        asked += question;
    EXPECT_EQ(r.out, asked + "\n" + kCancelled);
    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER, "Software\\Ask", "v", ""), "long");

    // An endless line of NULs, with 256 MB of address space for everything.
    const auto endless = [](std::vector<std::string> args) {
        Launch launch;
        launch.args = std::move(args);
        launch.input = "/dev/zero";
        if (kSanitized) {
            const char* options = std::getenv("ASAN_OPTIONS");
            launch.env["ASAN_OPTIONS"] =
                std::string(options != nullptr ? options : "") + ":hard_rss_limit_mb=1024";
        } else {
            launch.addressSpace = 256 * kMegabyte;
        }
        return launch;
    };
    std::string out;
    Launch adding = endless({"add", key, "/v", "v", "/d", "zero"});
    adding.onOutput = [&](std::string_view chunk) { out.append(chunk); };
    const Outcome ended = RunTool(adding);
    EXPECT_EQ(ended.exitCode, 0) << "signal " << ended.signal << ": " << ended.err;
    EXPECT_EQ(out, question + "\n" + kCancelled);
    if (!kSanitized) {
        EXPECT_LT(ended.peakKilobytes, 64 * 1024);
    }
    Launch deleting = endless({"delete", key});
    deleting.output = "/dev/null";
    EXPECT_EQ(RunTool(deleting).exitCode, 0);
    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER, "Software\\Ask", "v", ""), "long");
}

TEST_F(RegToolHostileTest, OutputThatCannotBeWrittenFailsTheCommand) {
    ASSERT_EQ(Reg({"add", "HKCU\\Software\\Out", "/v", "v", "/d", "1"}).out, kDone);
    const std::string lost = "ERROR: The output could not be written.\n";
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"query", "HKCU\\Software\\Out"},
             {"query", "HKCU\\Software", "/s"},
             {"query", "HKCU\\Software", "/v", "v", "/s"},
             {"/?"},
             // The value is written; only the report of it is lost.
             {"add", "HKCU\\Software\\Out", "/v", "w", "/d", "2", "/f"},
         }) {
        Launch full;
        full.args = args;
        full.output = "/dev/full";
        const Outcome r = RunTool(full);
        EXPECT_EQ(r.exitCode, 1) << args[0];
        EXPECT_EQ(r.err, lost) << args[0];
    }
    EXPECT_EQ(modRegistry::GetRegString(HKEY_CURRENT_USER, "Software\\Out", "w", ""), "2");
}

TEST_F(RegToolHostileTest, RunningOutOfMemoryIsAnErrorLineNeverAnAbort) {
    if (kSanitized)
        GTEST_SKIP() << "an address-space limit cannot be combined with AddressSanitizer";
    // 8 MB of binary data print as 16 MB of hex digits: under a growing address-space limit the
    // query runs out of memory at each step of the way (the store, the copy, the text) before it
    // succeeds.
    MakeStore(std::string("INSERT INTO keys(id, parent, name, fold) VALUES(1, ") +
              kCurrentUserParent +
              ", 'Big', 'BIG');"
              "INSERT INTO vals(key, name, fold, type, data) "
              "VALUES(1, 'Blob', 'BLOB', 3, zeroblob(8 * 1024 * 1024));");
    const size_t wholeListing =
        std::string("\nHKEY_CURRENT_USER\\Big\n    Blob    REG_BINARY    \n\n").size() +
        2 * 8 * kMegabyte;
    int failed = 0;
    int succeeded = 0;
    for (rlim_t megabytes = 16; megabytes <= 256; megabytes += megabytes / 2) {
        Launch launch;
        launch.args = {"query", "HKCU\\Big"};
        size_t printed = 0;
        launch.onOutput = [&](std::string_view chunk) { printed += chunk.size(); };
        launch.addressSpace = megabytes * kMegabyte;
        const Outcome r = RunTool(launch);
        ASSERT_EQ(r.signal, 0) << megabytes << " MB: " << r.err;
        if (r.exitCode == 0) {
            // Success means the whole value, never a listing without it.
            EXPECT_EQ(printed, wholeListing) << megabytes << " MB";
            ++succeeded;
            continue;
        }
        ++failed;
        EXPECT_EQ(r.exitCode, 1) << megabytes << " MB";
        EXPECT_TRUE(r.err.size() >= std::string(kOutOfMemory).size() &&
                    r.err.compare(r.err.size() - std::string(kOutOfMemory).size(),
                                  std::string::npos, kOutOfMemory) == 0)
            << megabytes << " MB: " << r.err;
    }
    EXPECT_GT(failed, 0);
    EXPECT_GT(succeeded, 0);
}

} // namespace
} // namespace vellumo
