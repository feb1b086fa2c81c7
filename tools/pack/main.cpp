// vellumo-pack: packs, unpacks, enciphers and deciphers files in the Vellumo formats, each output
// written whole or not at all.
#include "PackCommandLine.h"
#include "PackJob.h"
#include "PackSystem.h"

#include <clocale>
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <variant>

namespace {

using namespace vellumo::pack;

int Fail(const std::string& message) {
    std::fprintf(stderr, "vellumo-pack: %s\n", message.c_str());
    return kExitFailed;
}

// Output that cannot be written (a full disk, a closed pipe) is a failure of the run.
int Finish(int code) {
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fputs("vellumo-pack: standard output cannot be written\n", stderr);
        return code == kExitSuccess ? kExitFailed : code;
    }
    return code;
}

int RunTool(int argc, char** argv) {
    const std::variant<Request, int> read = ReadCommandLine(argc, argv);
    if (const int* code = std::get_if<int>(&read))
        return *code;
    const Request& request = std::get<Request>(read);
    WatchInterruptions();
    ProgressDisplay progress(request.progress, StandardErrorIsTerminal());
    try {
        return RunRequest(request, progress);
    } catch (const Interrupted&) {
        progress.Finish();
        return InterruptedExitStatus();
    }
}

} // namespace

int main(int argc, char** argv) {
    // Passwords in the locale's character set, as the program takes them.
    std::setlocale(LC_ALL, "");
    try {
        return Finish(RunTool(argc, argv));
    } catch (const std::bad_alloc&) {
        return Fail("not enough memory");
    } catch (const std::exception& e) {
        return Fail(std::string("unexpected failure: ") + e.what());
    } catch (...) {
        return Fail("unexpected failure");
    }
}
