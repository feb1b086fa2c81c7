// CColorDialog: one colour dialog per Show, with its own all-zero custom colours.
#include "library/CColorDialog.h"

#include "platform/RuntimeError.h"
#include "platform/UiService.h"

namespace vellumo {

bool CColorDialog::Show() {
    try {
        ChooseColorRecord record;
        record.owner = parent_;
        record.rgbResult = color_;
        record.flags = flags_;
        if (CurrentDialogBackend().ShowColor(record).apiReturn == 0)
            return false;
        color_ = record.rgbResult;
        return true;
    } catch (...) {
        ui::ShowErrorBox("Show", CurrentRuntimeError());
        return false;
    }
}

} // namespace vellumo
