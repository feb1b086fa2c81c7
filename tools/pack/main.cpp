// vellumo-pack: unpacks a customer's packed file, packs a file, or enciphers and deciphers a file
// with a password read from a file; the classes' error boxes reach standard error.
#include "library/CCommandArgs.h"
#include "library/CEncryption.h"
#include "library/CLZ.h"
#include "platform/CodePage.h"
#include "platform/HeadlessUi.h"

#include <clocale>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <variant>
#include <vector>

namespace {

using namespace vellumo;

constexpr int kExitSuccess = 0;
constexpr int kExitFailed = 1; // the operation failed
constexpr int kExitUsage = 2;  // the command line was wrong
constexpr const char* kDelimiter = "--";
constexpr int kBarWidth = 40;

constexpr const char* kUsage =
    "Usage: vellumo-pack --compress IN --out OUT [--progress]\n"
    "       vellumo-pack --decompress IN --out OUT [--progress]\n"
    "       vellumo-pack --encipher IN --out OUT --password-file FILE [--progress]\n"
    "\n"
    "  --compress IN         pack IN into the packed file OUT\n"
    "  --decompress IN       unpack the packed file IN into OUT\n"
    "  --encipher IN         encipher IN into OUT; enciphering the result again with the same\n"
    "                        password deciphers it\n"
    "  --password-file FILE  the password: the first line of FILE (never given on the command\n"
    "                        line, where other users could read it)\n"
    "  --progress            show a progress bar on standard error\n"
    "\n"
    "A value may contain spaces but not \"--\". OUT is replaced if it exists.\n"
    "Exit status: 0 done, 1 the operation failed, 2 the command line is wrong.\n";

// A bar on standard error, redrawn when the whole percentage changes.
class ProgressBar {
public:
    void Show(float fraction) {
        if (fraction < 0.0f)
            fraction = 0.0f;
        if (fraction > 1.0f)
            fraction = 1.0f;
        const int percent = static_cast<int>(fraction * 100.0f);
        if (percent == shown_)
            return;
        shown_ = percent;
        const int filled = percent * kBarWidth / 100;
        std::string line = "\r[";
        line.append(static_cast<size_t>(filled), '#');
        line.append(static_cast<size_t>(kBarWidth - filled), '-');
        line += "] " + std::to_string(percent) + "%";
        std::fputs(line.c_str(), stderr);
        std::fflush(stderr);
    }
    // Ends the bar's line, so that what follows starts on a line of its own.
    void Finish() {
        if (shown_ >= 0)
            std::fputs("\n", stderr);
        shown_ = -1;
    }

private:
    int shown_ = -1;
};

// The headless UI, counting the error boxes so the tool knows whether a message was shown, and
// ending a progress bar's line before a box is printed.
class ToolUi : public ui::HeadlessUi {
public:
    void MsgBox(std::string_view text, ui::MsgIcon icon, std::string_view title) override {
        ++boxes;
        bar.Finish();
        ui::HeadlessUi::MsgBox(text, icon, title);
    }
    int boxes = 0;
    ProgressBar bar;
};

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "vellumo-pack: %s\n", message.c_str());
    return code;
}

struct Request {
    std::string operation; // compress, decompress or encipher
    std::string input;
    std::string output;
    std::string passwordFile;
    bool progress = false;
};

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Reads the command line through CCommandArgs. Returns the request, or an exit code after
// printing why it cannot be carried out.
std::variant<Request, int> ReadCommandLine(int argc, char** argv, ToolUi& ui) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        line += argv[i];
    }
    if (line.empty())
        return Fail(kExitUsage, "no operation given (see --help)");
    if (line.rfind(kDelimiter, 0) != 0)
        return Fail(kExitUsage,
                    "\"" + std::string(argv[1]) + "\" is not a switch (switches start with --)");

    // Which switches are followed by a value: the parser gives a switch without one its key as
    // value, which cannot be told from "--out out".
    std::vector<bool> valueGiven;
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]).starts_with(kDelimiter))
            valueGiven.push_back(false);
        else if (!valueGiven.empty())
            valueGiven.back() = true;
    }

    CCommandArgs args;
    args.SetDelim(kDelimiter);
    args.SetTestString(line);
    args.Parse();
    if (ui.boxes > 0)
        return kExitUsage; // the parser's error box has said why
    if (static_cast<size_t>(args.Count()) != valueGiven.size())
        return Fail(kExitUsage, "a value may not contain \"--\"");

    Request request;
    std::vector<std::string> seen;
    for (int16_t i = 1; i <= args.Count(); ++i) {
        const std::string key = Lower(args.Key(i));
        const std::string value = args.Value(i);
        const bool hasValue = valueGiven[static_cast<size_t>(i - 1)];
        for (const auto& earlier : seen)
            if (earlier == key)
                return Fail(kExitUsage, "--" + key + " is given twice");
        seen.push_back(key);
        if (key == "help") {
            std::fputs(kUsage, stdout);
            return kExitSuccess;
        }
        if (key == "compress" || key == "decompress" || key == "encipher") {
            if (!request.operation.empty())
                return Fail(kExitUsage, "give only one of --compress, --decompress and --encipher");
            if (!hasValue)
                return Fail(kExitUsage, "--" + key + " needs the input file");
            request.operation = key;
            request.input = value;
        } else if (key == "out") {
            if (!hasValue)
                return Fail(kExitUsage, "--out needs the output file");
            request.output = value;
        } else if (key == "password-file") {
            if (!hasValue)
                return Fail(kExitUsage, "--password-file needs a file");
            request.passwordFile = value;
        } else if (key == "progress") {
            if (hasValue)
                return Fail(kExitUsage, "--progress takes no value");
            request.progress = true;
        } else {
            return Fail(kExitUsage, "unknown switch --" + args.Key(i) + " (see --help)");
        }
    }
    if (request.operation.empty())
        return Fail(kExitUsage, "give one of --compress, --decompress and --encipher");
    if (request.output.empty())
        return Fail(kExitUsage, "--out is missing");
    if (request.operation == "encipher" && request.passwordFile.empty())
        return Fail(kExitUsage, "--encipher needs --password-file");
    if (request.operation != "encipher" && !request.passwordFile.empty())
        return Fail(kExitUsage, "--password-file belongs to --encipher");
    return request;
}

// A password is one line; a first line longer than this is not a password file (a device such as
// /dev/zero, a binary file) and is refused without reading further.
constexpr size_t kLongestPasswordLine = 64 * 1024;

struct PasswordRead {
    std::optional<std::string> password; // from the code page
    std::string problem;                 // why there is none
};

// The first line of the password file, read no further than its end.
PasswordRead ReadPassword(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(ToAnsi(path), ec))
        return {std::nullopt, "the password file " + path + " is a folder"};
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(ToAnsi(path).c_str(), "rb"),
                                                         &std::fclose);
    if (!file)
        return {std::nullopt, "cannot read the password file " + path};
    std::string line;
    char buffer[4096];
    while (true) {
        const size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
        const std::string_view chunk(buffer, n);
        const size_t end = chunk.find_first_of("\r\n");
        line.append(chunk.substr(0, end));
        if (line.size() > kLongestPasswordLine)
            return {std::nullopt, "the first line of the password file " + path +
                                      " is longer than " + std::to_string(kLongestPasswordLine) +
                                      " bytes"};
        if (end != std::string_view::npos)
            break;
        if (n < sizeof buffer) {
            if (std::ferror(file.get()))
                return {std::nullopt, "cannot read the password file " + path};
            break;
        }
    }
    return {FromAnsi(line), {}};
}

int Run(const Request& request, ToolUi& ui) {
    ProgressBar& bar = ui.bar;
    auto onProgress = [&bar](float fraction) { bar.Show(fraction); };
    bool done = false;
    if (request.operation == "encipher") {
        const PasswordRead read = ReadPassword(request.passwordFile);
        if (!read.password)
            return Fail(kExitFailed, read.problem);
        const std::optional<std::string>& password = read.password;
        if (password->empty())
            return Fail(kExitFailed,
                        "the password file " + request.passwordFile + " holds no password");
        CEncryption cipher;
        cipher.SetInputFileName(request.input);
        cipher.SetOutputFileName(request.output);
        cipher.SetPassword(*password);
        if (request.progress)
            cipher.OnFileProgress(onProgress);
        done = cipher.EncryptFile();
    } else {
        CLZ packer;
        packer.SetInputFileName(request.input);
        packer.SetOutputFileName(request.output);
        if (request.progress)
            packer.OnFileProgress(onProgress);
        done = request.operation == "compress" ? packer.Compress() : packer.Decompress();
    }
    bar.Finish();
    if (done)
        return kExitSuccess;
    if (ui.boxes == 0 && request.operation == "decompress")
        return Fail(kExitFailed, request.input + " is not a packed file");
    return kExitFailed; // the class's error box has said why
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
    ToolUi toolUi;
    ui::ScopedUi scoped(toolUi);
    const std::variant<Request, int> request = ReadCommandLine(argc, argv, toolUi);
    if (const int* code = std::get_if<int>(&request))
        return *code;
    return Run(std::get<Request>(request), toolUi);
}

} // namespace

int main(int argc, char** argv) {
    // File names and passwords in the locale's character set, as the program takes them.
    std::setlocale(LC_ALL, "");
    try {
        return Finish(RunTool(argc, argv));
    } catch (const std::exception& e) {
        return Fail(kExitFailed, std::string("unexpected failure: ") + e.what());
    } catch (...) {
        return Fail(kExitFailed, "unexpected failure");
    }
}
