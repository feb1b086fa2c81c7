// Fuzz target: CCommandArgs::Parse with arbitrary delimiters and texts, then every lookup.
#include "SilentUi.h"
#include "library/CCommandArgs.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static vellumo::fuzz::SilentUi& ui = vellumo::fuzz::InstallSilentUi();
    if (size == 0)
        return 0;
    // First byte: the delimiter's length (0 to 3); then the delimiter; the rest is the text.
    const size_t delimLength = std::min<size_t>(data[0] % 4, size - 1);
    const std::string delim(reinterpret_cast<const char*>(data + 1), delimLength);
    const std::string text(reinterpret_cast<const char*>(data + 1 + delimLength),
                           size - 1 - delimLength);
    vellumo::CCommandArgs args;
    args.SetDelim(delim);
    args.SetTestString(text);
    ui.boxes = 0;
    args.Parse();
    const int16_t count = args.Count();
    if (count < 0 || (delim.empty() && count != 0))
        std::abort();
    for (int16_t i = 0; i <= count; ++i) {
        const std::string key = args.Key(i);
        if (args.Value(i).empty() && !key.empty())
            std::abort(); // an empty value becomes the key
        (void)args.Item(key);
        (void)args.Item(i);
    }
    try {
        (void)args.Key(static_cast<int16_t>(count + 1));
        std::abort(); // beyond Count is a failure passed to the caller
    } catch (const vellumo::RuntimeError&) {
    }
    return 0;
}
