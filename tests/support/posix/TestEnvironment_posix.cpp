// The test support on Linux: temporary folders, environment variables and child processes
// (optionally as the user "nobody").
#include "support/TestEnvironment.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vellumo::test {

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "vellumo-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests may leave read-only folders behind; make them writable before removing.
    for (auto it = fs::recursive_directory_iterator(path_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    if (std::getenv("VELLUMO_KEEP_TEST_FILES") == nullptr)
        fs::remove_all(path_, ec);
}

void ResetPlatformModules() {}

void PlatformSetUp(const fs::path& /*documents*/, const fs::path& /*dataHome*/) {}

void PlatformTearDown() {}

void SetEnv(const char* name, const std::string& value) {
    setenv(name, value.c_str(), 1);
}

void UnsetEnv(const char* name) {
    unsetenv(name);
}

bool RunningAsRoot() {
    return geteuid() == 0;
}

ProcessResult RunProcessWith(const std::vector<std::string>& command,
                             const ProcessOptions& options) {
    std::vector<std::string> argv = command;
    if (options.asNobody && RunningAsRoot())
        argv.insert(argv.begin(),
                    {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "--"});
    const std::map<std::string, std::string>& env = options.env;
    const std::string& stdinText = options.stdinText;
    int outPipe[2], errPipe[2], inPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0 || pipe(inPipe) != 0)
        throw std::runtime_error("pipe failed");
    std::map<std::string, std::string> merged;
    for (char** e = environ; *e != nullptr; ++e) {
        std::string entry(*e);
        auto eq = entry.find('=');
        if (eq != std::string::npos)
            merged[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    // The toolkit's platform is the test's choice: one inherited from the shell or from CTest
    // (the Qt tests' offscreen platform) is dropped unless `env` names one.
    merged.erase("QT_QPA_PLATFORM");
    for (const auto& [k, v] : env)
        merged[k] = v;
    for (const auto& name : options.unset)
        merged.erase(name);
    std::vector<std::string> envStrings;
    for (const auto& [k, v] : merged)
        envStrings.push_back(k + "=" + v);

    const pid_t pid = fork();
    if (pid == 0) {
        dup2(inPipe[0], 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1], inPipe[0], inPipe[1]})
            close(fd);
        if (!options.workingFolder.empty() && chdir(options.workingFolder.c_str()) != 0)
            _exit(126);
        std::vector<char*> args, envp;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        for (const auto& e : envStrings)
            envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        execvpe(args[0], args.data(), envp.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    close(inPipe[0]);
    if (!stdinText.empty()) {
        [[maybe_unused]] ssize_t w = write(inPipe[1], stdinText.data(), stdinText.size());
    }
    close(inPipe[1]);

    ProcessResult result;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int open = 2;
    char buf[65536];
    while (open > 0) {
        if (poll(fds, 2, -1) < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            const ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            } else {
                (i == 0 ? result.out : result.err).append(buf, static_cast<size_t>(n));
            }
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

int RunInChildAsNobody(const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            if (nobody == nullptr || setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 ||
                setuid(nobody->pw_uid) != 0)
                _exit(255);
        }
        _exit(body());
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) == 255)
        return -1;
    return WEXITSTATUS(status);
}

std::string BuiltProgram(const std::string& name) {
    for (const char* sub : {"/src/", "/tools/", "/tools/reg/", "/tools/pack/", "/tests/", "/"}) {
        std::string p = std::string(VELLUMO_BINARY_DIR) + sub + name;
        if (fs::exists(p))
            return p;
    }
    return std::string(VELLUMO_BINARY_DIR) + "/src/" + name;
}

} // namespace vellumo::test
