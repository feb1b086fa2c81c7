// Fuzz target: CLZ::Decompress on arbitrary files. The output never exceeds what the input can
// produce (nine bytes per stream byte), whatever length the header claims.
#include "SilentUi.h"
#include "library/CLZ.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

std::filesystem::path Folder() {
    static const std::filesystem::path folder = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vellumo-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            std::abort();
        return std::filesystem::path(pattern);
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static vellumo::fuzz::SilentUi& ui = vellumo::fuzz::InstallSilentUi();
    const std::filesystem::path input = Folder() / "in.lz";
    const std::filesystem::path output = Folder() / "out.bin";
    if (std::FILE* file = std::fopen(input.c_str(), "wb")) {
        if (size > 0)
            std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    vellumo::CLZ lz;
    lz.SetInputFileName(input.string());
    lz.SetOutputFileName(output.string());
    ui.boxes = 0;
    const bool done = lz.Decompress();
    std::error_code ec;
    const auto produced = std::filesystem::file_size(output, ec);
    if (ec || produced > 9 * size + 18 || (done && ui.boxes != 0))
        std::abort();
    return 0;
}
