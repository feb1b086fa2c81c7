// The seven setting variables of each font instance, seen together: the font records of the
// registry form and the defaults of the option files go through them.
#pragma once

#include "platform/NumberText.h"
#include "settings/modOptions.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vellumo::modOptions::detail {

struct FontVariables {
    std::string_view instance; // "Tree", "Edit", "PasteAsText", "DateTime", "QuickFormat"
    std::string& name;
    Currency& size;
    int16_t& bold;
    int16_t& italic;
    int16_t& strikeout;
    int16_t& underline;
    int32_t& color;

    [[nodiscard]] OptionsFont ToRecord() const;
    void FromRecord(const OptionsFont& font) const;
};

[[nodiscard]] FontVariables TreeFont();
[[nodiscard]] FontVariables EditFont();
[[nodiscard]] FontVariables PasteAsTextFont();
[[nodiscard]] FontVariables DateTimeFont();
[[nodiscard]] FontVariables QuickFormatFont();

} // namespace vellumo::modOptions::detail
