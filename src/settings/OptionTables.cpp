// The option-file tables and the written and read forms of their values.
#include "settings/OptionTables.h"

#include "settings/OptionDefaults.h"
#include "settings/modOptions.h"
#include "state/PathSet.h"

#include <array>

namespace vellumo::modOptions::detail {
namespace {

const std::array<OptionEntry, 49> kConfigTable{{
    {"FontName_Tree", &FontName_Tree},
    {"FontSize_Tree", &FontSize_Tree},
    {"FontBold_Tree", &FontBold_Tree},
    {"FontItalic_Tree", &FontItalic_Tree},
    {"FontStrikeout_Tree", &FontStrikeout_Tree},
    {"FontUnderline_Tree", &FontUnderline_Tree},
    {"FontColor_Tree", &FontColor_Tree},
    {"FontName_Edit", &FontName_Edit},
    {"FontSize_Edit", &FontSize_Edit},
    {"FontBold_Edit", &FontBold_Edit},
    {"FontItalic_Edit", &FontItalic_Edit},
    {"FontStrikeout_Edit", &FontStrikeout_Edit},
    {"FontUnderline_Edit", &FontUnderline_Edit},
    {"FontColor_Edit", &FontColor_Edit},
    {"OptPasteAsText", &OptPasteAsText},
    {"FontName_PasteAsText", &FontName_PasteAsText},
    {"FontSize_PasteAsText", &FontSize_PasteAsText},
    {"FontBold_PasteAsText", &FontBold_PasteAsText},
    {"FontItalic_PasteAsText", &FontItalic_PasteAsText},
    {"FontStrikeout_PasteAsText", &FontStrikeout_PasteAsText},
    {"FontUnderline_PasteAsText", &FontUnderline_PasteAsText},
    {"FontColor_PasteAsText", &FontColor_PasteAsText},
    // A format below 1 read from the file becomes the default format.
    {"FormatDate", &FormatDate, kDefaultFormatDate},
    {"FormatTime", &FormatTime, kDefaultFormatTime},
    {"DateTimeFormat", &DateTimeFormat},
    {"FontName_DateTime", &FontName_DateTime},
    {"FontSize_DateTime", &FontSize_DateTime},
    {"FontBold_DateTime", &FontBold_DateTime},
    {"FontItalic_DateTime", &FontItalic_DateTime},
    {"FontStrikeout_DateTime", &FontStrikeout_DateTime},
    {"FontUnderline_DateTime", &FontUnderline_DateTime},
    {"FontColor_DateTime", &FontColor_DateTime},
    {"FontName_QuickFormat", &FontName_QuickFormat},
    {"FontSize_QuickFormat", &FontSize_QuickFormat},
    {"FontBold_QuickFormat", &FontBold_QuickFormat},
    {"FontItalic_QuickFormat", &FontItalic_QuickFormat},
    {"FontStrikeout_QuickFormat", &FontStrikeout_QuickFormat},
    {"FontUnderline_QuickFormat", &FontUnderline_QuickFormat},
    {"FontColor_QuickFormat", &FontColor_QuickFormat},
    {"AutoBackup", &gblnAutoBackup},
    {"OptViewBars", &OptViewBars},
    {"SendDelToRecycleBin", &SendDelToRecycleBin},
    {"DataPath", &modMain::DataPath},
    {"AutoBackupPath", &modMain::AutoBackupPath},
    {"OneClickBackupPath", &OneClickBackupPath},
    {"AutoStartCalendar", &AutoStartCalendar},
    {"BackColorEdit", &BackColorEdit},
    {"BackColorTree", &BackColorTree},
    {"AutoSave", &gblnAutoSave},
}};

const std::array<OptionEntry, 7> kAuxTable{{
    {"TreeCustomField1", &TreeCustomField1},
    {"TreeCustomField2", &TreeCustomField2},
    {"OpenPathVlm", &OpenPathVlm},
    {"SavePathVlm", &SavePathVlm},
    {"PromptForNodeDel", &PromptForNodeDel},
    {"PreserveState", &PreserveState},
    {"DontPromptForCompact", &DontPromptForCompact},
}};

constexpr char kQuote = '"';

// The reader ends an unquoted value at a comma or line end and trims its spaces.
bool NeedsQuotes(const std::string& value) {
    if (value.empty())
        return false;
    return value.find_first_of(",\r\n") != std::string::npos || value.front() == ' ' ||
           value.back() == ' ';
}

} // namespace

std::span<const OptionEntry> ConfigTable() {
    return kConfigTable;
}
std::span<const OptionEntry> AuxTable() {
    return kAuxTable;
}

std::string WrittenValue(const OptionEntry& entry) {
    if (const auto* text = std::get_if<std::string*>(&entry.target)) {
        const std::string& value = **text;
        if (NeedsQuotes(value) && value.find(kQuote) == std::string::npos)
            return kQuote + value + kQuote;
        return value;
    }
    if (const auto* size = std::get_if<Currency*>(&entry.target)) {
        std::string value = FormatCurrency(**size);
        // A decimal comma would end the value early.
        if (NeedsQuotes(value))
            value = kQuote + value + kQuote;
        return value;
    }
    if (const auto* flag = std::get_if<int16_t*>(&entry.target))
        return std::to_string(**flag);
    return std::to_string(*std::get<int32_t*>(entry.target));
}

void StoreValue(const OptionEntry& entry, const std::string& field) {
    std::visit(
        [&field](auto* target) {
            using T = std::remove_pointer_t<decltype(target)>;
            if constexpr (std::is_same_v<T, std::string>) {
                *target = field;
            } else if constexpr (std::is_same_v<T, Currency>) {
                *target = TextToCurrency(field);
            } else if constexpr (std::is_same_v<T, int16_t>) {
                *target = (!field.empty() && TextToInteger(field) != 0) ? kTrue : kFalse;
            } else {
                *target = TextToLong(field);
            }
        },
        entry.target);
}

void ApplyLowerBound(const OptionEntry& entry) {
    if (entry.lowerBoundReplacement == 0)
        return;
    int32_t& value = *std::get<int32_t*>(entry.target);
    if (value < 1)
        value = entry.lowerBoundReplacement;
}

} // namespace vellumo::modOptions::detail
