// Start-up speed: the whole headless run of the real program (process start to exit), first run
// (migration into a new registry store) and later runs (settings already in the store), and a
// later run with every option for support at once.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// The build passes the program's path; a build without the program leaves only the variable.
#ifndef VELLUMO_PROGRAM_DEFAULT
#define VELLUMO_PROGRAM_DEFAULT ""
#endif

std::string ProgramPath() {
    const char* fromEnv = std::getenv("VELLUMO_PROGRAM");
    return fromEnv != nullptr ? fromEnv : VELLUMO_PROGRAM_DEFAULT;
}

// Runs the program headless with HOME and the XDG folders under `home`; returns its exit code.
int RunHeadless(const fs::path& home, std::vector<std::string> options = {}) {
    std::vector<std::string> env = {"HOME=" + home.string(),
                                    "XDG_CONFIG_HOME=" + (home / ".config").string(),
                                    "XDG_DATA_HOME=" + (home / ".local/share").string(),
                                    "XDG_DOCUMENTS_DIR=" + (home / "Documents").string(),
                                    "PATH=/usr/bin:/bin",
                                    "LANG=C.UTF-8"};
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = ProgramPath();
    std::vector<char*> argv = {program.data()};
    for (std::string& option : options)
        argv.push_back(option.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

fs::path NewHome() {
    std::string pattern = (fs::temp_directory_path() / "vellumo-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        std::abort();
    fs::path home = pattern;
    fs::create_directories(home / ".config");
    fs::create_directories(home / ".local/share");
    fs::create_directories(home / "Documents");
    return home;
}

void BM_HeadlessRunFirst(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path home = NewHome();
        state.ResumeTiming();
        if (RunHeadless(home) != 0)
            state.SkipWithError("program did not reach the window");
        state.PauseTiming();
        fs::remove_all(home);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_HeadlessRunFirst)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HeadlessRunLater(benchmark::State& state) {
    const fs::path home = NewHome();
    RunHeadless(home); // the first run migrates; every timed run finds the settings stored
    for (auto _ : state) {
        if (RunHeadless(home) != 0)
            state.SkipWithError("program did not reach the window");
    }
    fs::remove_all(home);
}
BENCHMARK(BM_HeadlessRunLater)->Unit(benchmark::kMillisecond)->UseRealTime();

// --print, --format, --output, --redact, --check and --compare together: the report redacted,
// checked, compared with a saved one and written as JSON into a file.
void BM_HeadlessRunAllOptions(benchmark::State& state) {
    const fs::path home = NewHome();
    const std::string saved = (home / "saved.json").string();
    RunHeadless(home); // the first run migrates
    RunHeadless(home, {"--redact", "--format=json", "--output=" + saved});
    const std::vector<std::string> options = {
        "--print",  "--format=json", "--output=" + (home / "now.json").string(),
        "--redact", "--check",       "--compare=" + saved};
    for (auto _ : state) {
        // 1: a check failed (the program's folder has no master file) or something differs.
        if (const int status = RunHeadless(home, options); status != 0 && status != 1)
            state.SkipWithError("the run with every option failed");
    }
    fs::remove_all(home);
}
BENCHMARK(BM_HeadlessRunAllOptions)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
