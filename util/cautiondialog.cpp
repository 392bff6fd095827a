#include "util/cautiondialog.h"

#include "framework/application.h"
#include "framework/messagedialog.h"

namespace Globals {

int32_t gCautionDlg(QWidget *parent, bool beep, int32_t buttons, const fw::String &alternateCaption,
                    const fw::String &cancelCaption, const fw::String &actionCaption,
                    const fw::String &message, const fw::String &explanation)
{
    fw::MessageDialog dialog;
    if (beep)
        fw::Beep();
    dialog.Icon = fw::MessageDialog::CautionIcon;
    if (buttons > 2) {
        dialog.AlternateActionButton.Visible = true;
        dialog.AlternateActionButton.Caption = alternateCaption;
    }
    if (buttons > 1) {
        dialog.CancelButton.Visible = true;
        dialog.CancelButton.Caption = cancelCaption;
    }
    dialog.ActionButton.Caption = actionCaption;
    dialog.Message = message;
    dialog.Explanation = explanation;

    const fw::MessageDialogButton *pressed =
        parent == nullptr ? dialog.ShowModal() : dialog.ShowModalWithin(parent);
    if (pressed == &dialog.AlternateActionButton)
        return 0;
    if (pressed == &dialog.CancelButton)
        return 1;
    if (pressed == &dialog.ActionButton)
        return 2;
    return 1;
}

} // namespace Globals
