// Fuzz target: packing must give the reference search's bytes exactly, and unpacking must give the
// text back, whatever the input.
#include "SilentUi.h"
#include "library/CLZ.h"
#include "library/LzReference.h"

#include <cstdlib>
#include <memory>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static vellumo::fuzz::SilentUi& ui = vellumo::fuzz::InstallSilentUi();
    static vellumo::CLZ lz;
    static auto reference = std::make_unique<vellumo::test::lzref::ReferencePacker>();
    std::u16string text(size / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    ui.boxes = 0;
    const vellumo::ByteArray packed = lz.CompressString(text);
    if (lz.DecompressString(packed) != text || ui.boxes != 0)
        std::abort();
    // The coded bytes: all of the text's bytes, or all but a zero last byte.
    size_t coded = text.size() * 2;
    if (coded > 0 && data[coded - 1] == 0)
        --coded;
    const std::vector<uint8_t> expected = reference->Pack(std::span<const uint8_t>(data, coded));
    if (packed.size() != 10 + expected.size() + 1 ||
        !std::equal(expected.begin(), expected.end(), packed.begin() + 10))
        std::abort();
    return 0;
}
