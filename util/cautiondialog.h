#pragma once

#include "framework/string.h"

#include <cstdint>

class QWidget;

namespace Globals {

// The confirmation dialog: a modal caution dialog with 1 to 3 buttons. Returns 0 for the alternate
// button, 2 for the action button and 1 for the cancel button or any other outcome. A null parent
// makes it application-modal.
int32_t gCautionDlg(QWidget *parent, bool beep, int32_t buttons, const fw::String &alternateCaption,
                    const fw::String &cancelCaption, const fw::String &actionCaption,
                    const fw::String &message, const fw::String &explanation);

} // namespace Globals
