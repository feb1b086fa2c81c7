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

FontVariables TreeFont() {
    return {"Tree",          FontName_Tree,      FontSize_Tree,      FontBold_Tree,
            FontItalic_Tree, FontStrikeout_Tree, FontUnderline_Tree, FontColor_Tree};
}

FontVariables EditFont() {
    return {"Edit",          FontName_Edit,      FontSize_Edit,      FontBold_Edit,
            FontItalic_Edit, FontStrikeout_Edit, FontUnderline_Edit, FontColor_Edit};
}

FontVariables PasteAsTextFont() {
    return {"PasteAsText",
            FontName_PasteAsText,
            FontSize_PasteAsText,
            FontBold_PasteAsText,
            FontItalic_PasteAsText,
            FontStrikeout_PasteAsText,
            FontUnderline_PasteAsText,
            FontColor_PasteAsText};
}

FontVariables DateTimeFont() {
    return {
        "DateTime",          FontName_DateTime,      FontSize_DateTime,      FontBold_DateTime,
        FontItalic_DateTime, FontStrikeout_DateTime, FontUnderline_DateTime, FontColor_DateTime};
}

FontVariables QuickFormatFont() {
    return {"QuickFormat",
            FontName_QuickFormat,
            FontSize_QuickFormat,
            FontBold_QuickFormat,
            FontItalic_QuickFormat,
            FontStrikeout_QuickFormat,
            FontUnderline_QuickFormat,
            FontColor_QuickFormat};
}

} // namespace vellumo::modOptions::detail
