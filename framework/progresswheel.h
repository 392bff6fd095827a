#pragma once

#include "framework/control.h"

namespace fw {

// An indeterminate busy indicator: a wheel of spokes that turns while it is visible.
class ProgressWheel : public Control
{
public:
    ProgressWheel();
    // True while the wheel turns (it is shown on the screen).
    bool isSpinning() const;
};

} // namespace fw
