#pragma once

#include "framework/string.h"

class QWidget;

namespace fw {

// One button of a MessageDialog. The pointer that ShowModal returns identifies the button pressed.
struct MessageDialogButton
{
    bool Visible = false;
    String Caption;
};

// A modal message with an icon, a message, an explanation and up to three buttons. A new dialog
// shows its action button alone.
class MessageDialog
{
public:
    static constexpr int CautionIcon = 1;

    MessageDialog();

    int Icon = 0;
    String Message;
    String Explanation;
    MessageDialogButton ActionButton;
    MessageDialogButton CancelButton;
    MessageDialogButton AlternateActionButton;

    // Application-modal. Returns the button pressed, or nullptr when the dialog closed without one.
    const MessageDialogButton *ShowModal();
    // Modal to the parent window; a null parent makes it application-modal.
    const MessageDialogButton *ShowModalWithin(QWidget *parent);
};

} // namespace fw
