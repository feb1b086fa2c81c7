// Storage of the setting variables and their start values.
#include "settings/modOptions.h"

namespace vellumo::modOptions {

std::string FontName_Tree{};
Currency FontSize_Tree{};
int16_t FontBold_Tree{};
int16_t FontItalic_Tree{};
int16_t FontStrikeout_Tree{};
int16_t FontUnderline_Tree{};
int32_t FontColor_Tree{};
std::string FontName_Edit{};
Currency FontSize_Edit{};
int16_t FontBold_Edit{};
int16_t FontItalic_Edit{};
int16_t FontStrikeout_Edit{};
int16_t FontUnderline_Edit{};
int32_t FontColor_Edit{};
int32_t OptPasteAsText{};
std::string FontName_PasteAsText{};
Currency FontSize_PasteAsText{};
int16_t FontBold_PasteAsText{};
int16_t FontItalic_PasteAsText{};
int16_t FontStrikeout_PasteAsText{};
int16_t FontUnderline_PasteAsText{};
int32_t FontColor_PasteAsText{};
int32_t FormatDate{};
int32_t FormatTime{};
int16_t DateTimeFormat{};
std::string FontName_DateTime{};
Currency FontSize_DateTime{};
int16_t FontBold_DateTime{};
int16_t FontItalic_DateTime{};
int16_t FontStrikeout_DateTime{};
int16_t FontUnderline_DateTime{};
int32_t FontColor_DateTime{};
std::string FontName_QuickFormat{};
Currency FontSize_QuickFormat{};
int16_t FontBold_QuickFormat{};
int16_t FontItalic_QuickFormat{};
int16_t FontStrikeout_QuickFormat{};
int16_t FontUnderline_QuickFormat{};
int32_t FontColor_QuickFormat{};
int16_t gblnAutoBackup{};
int32_t OptViewBars{};
int16_t SendDelToRecycleBin{};
std::string OneClickBackupPath{};
int16_t AutoStartCalendar{};
int32_t BackColorEdit{};
int32_t BackColorTree{};
int16_t gblnAutoSave{};
std::string TreeCustomField1{};
std::string TreeCustomField2{};
std::string OpenPathVlm{};
std::string SavePathVlm{};
int32_t PromptForNodeDel{};
int32_t PreserveState{};
int16_t DontPromptForCompact{};

bool gblnMRUUseRegistry = false;

std::string FileToOpen{};

void ResetState() {
    FontName_Tree.clear();
    FontSize_Tree = {};
    FontBold_Tree = kFalse;
    FontItalic_Tree = kFalse;
    FontStrikeout_Tree = kFalse;
    FontUnderline_Tree = kFalse;
    FontColor_Tree = 0;
    FontName_Edit.clear();
    FontSize_Edit = {};
    FontBold_Edit = kFalse;
    FontItalic_Edit = kFalse;
    FontStrikeout_Edit = kFalse;
    FontUnderline_Edit = kFalse;
    FontColor_Edit = 0;
    OptPasteAsText = 0;
    FontName_PasteAsText.clear();
    FontSize_PasteAsText = {};
    FontBold_PasteAsText = kFalse;
    FontItalic_PasteAsText = kFalse;
    FontStrikeout_PasteAsText = kFalse;
    FontUnderline_PasteAsText = kFalse;
    FontColor_PasteAsText = 0;
    FormatDate = 0;
    FormatTime = 0;
    DateTimeFormat = kFalse;
    FontName_DateTime.clear();
    FontSize_DateTime = {};
    FontBold_DateTime = kFalse;
    FontItalic_DateTime = kFalse;
    FontStrikeout_DateTime = kFalse;
    FontUnderline_DateTime = kFalse;
    FontColor_DateTime = 0;
    FontName_QuickFormat.clear();
    FontSize_QuickFormat = {};
    FontBold_QuickFormat = kFalse;
    FontItalic_QuickFormat = kFalse;
    FontStrikeout_QuickFormat = kFalse;
    FontUnderline_QuickFormat = kFalse;
    FontColor_QuickFormat = 0;
    gblnAutoBackup = kFalse;
    OptViewBars = 0;
    SendDelToRecycleBin = kFalse;
    OneClickBackupPath.clear();
    AutoStartCalendar = kFalse;
    BackColorEdit = 0;
    BackColorTree = 0;
    gblnAutoSave = kFalse;
    TreeCustomField1.clear();
    TreeCustomField2.clear();
    OpenPathVlm.clear();
    SavePathVlm.clear();
    PromptForNodeDel = 0;
    PreserveState = 0;
    DontPromptForCompact = kFalse;
    gblnMRUUseRegistry = false;
    FileToOpen.clear();
}

} // namespace vellumo::modOptions
