// The font instances' setting variables and their records.
#include "settings/FontVariables.h"

namespace vellumo::modOptions::detail {

OptionsFont FontVariables::ToRecord() const {
    OptionsFont font;
    font.Name = name;
    font.Size = size;
    font.Italic = italic;
    font.Bold = bold;
    font.Strikeout = strikeout;
    font.Underline = underline;
    font.Color = color;
    return font;
}

void FontVariables::FromRecord(const OptionsFont& font) const {
    name = font.Name;
    size = font.Size;
    italic = font.Italic;
    bold = font.Bold;
    strikeout = font.Strikeout;
    underline = font.Underline;
    color = font.Color;
}

// One font instance's seven variables, named by the instance.
#define VELLUMO_FONT_VARIABLES(font)                                                               \
    FontVariables {                                                                                \
#font, FontName_##font, FontSize_##font, FontBold_##font, FontItalic_##font,               \
            FontStrikeout_##font, FontUnderline_##font, FontColor_##font                           \
    }

FontVariables TreeFont() {
    return VELLUMO_FONT_VARIABLES(Tree);
}
FontVariables EditFont() {
    return VELLUMO_FONT_VARIABLES(Edit);
}
FontVariables PasteAsTextFont() {
    return VELLUMO_FONT_VARIABLES(PasteAsText);
}
FontVariables DateTimeFont() {
    return VELLUMO_FONT_VARIABLES(DateTime);
}
FontVariables QuickFormatFont() {
    return VELLUMO_FONT_VARIABLES(QuickFormat);
}

#undef VELLUMO_FONT_VARIABLES

} // namespace vellumo::modOptions::detail
