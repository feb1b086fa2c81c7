// Fuzz target: CLZ::DecompressString on arbitrary packed texts. The result is never longer than
// the count field allows, and a failure always comes with exactly one error box.
#include "SilentUi.h"
#include "library/CLZ.h"

#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static vellumo::fuzz::SilentUi& ui = vellumo::fuzz::InstallSilentUi();
    static vellumo::CLZ lz;
    ui.boxes = 0;
    const std::u16string text = lz.DecompressString(std::span<const uint8_t>(data, size));
    if (size >= 10 && !text.empty()) {
        const int32_t count =
            static_cast<int32_t>((uint32_t{data[6]} << 24) | (uint32_t{data[7]} << 16) |
                                 (uint32_t{data[8]} << 8) | data[9]);
        if (count < 0 || text.size() != (static_cast<size_t>(count) + 2) / 2)
            std::abort();
    }
    if (ui.boxes > 1 || (ui.boxes == 1 && !text.empty()))
        std::abort();
    return 0;
}
