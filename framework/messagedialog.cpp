#include "framework/messagedialog.h"

#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include <utility>
#include <vector>

namespace fw {

namespace {

// QMessageBox takes Esc and the window's close button for a press of its escape button, which is a
// lone button too: here they close the box with no button pressed.
class MessageBox : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->matches(QKeySequence::Cancel))
            reject();
        else
            QMessageBox::keyPressEvent(event);
    }
    // Past QMessageBox's own, which takes the close for a press. NOLINTNEXTLINE(bugprone-parent-virtual-call)
    void closeEvent(QCloseEvent *event) override { QDialog::closeEvent(event); }
};

} // namespace

MessageDialog::MessageDialog()
{
    ActionButton.Visible = true;
    ActionButton.Caption = "OK";
}

const MessageDialogButton *MessageDialog::ShowModal()
{
    return ShowModalWithin(nullptr);
}

const MessageDialogButton *MessageDialog::ShowModalWithin(QWidget *parent)
{
    // On the heap and guarded: the parent may be closed and delete the box while it runs.
    QPointer<QMessageBox> box = new MessageBox(parent);
    box->setWindowModality(parent != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    box->setIcon(Icon == CautionIcon ? QMessageBox::Warning : QMessageBox::NoIcon);
    box->setText(Message.toQString());
    box->setInformativeText(Explanation.toQString());

    std::vector<std::pair<QAbstractButton *, const MessageDialogButton *>> buttons;
    if (AlternateActionButton.Visible)
        buttons.emplace_back(
            box->addButton(AlternateActionButton.Caption.toQString(), QMessageBox::DestructiveRole),
            &AlternateActionButton);
    if (CancelButton.Visible)
        buttons.emplace_back(box->addButton(CancelButton.Caption.toQString(), QMessageBox::RejectRole),
                             &CancelButton);
    if (ActionButton.Visible) {
        // The caller may pass an empty caption and count on the button being there all the same.
        const QString caption =
            ActionButton.Caption.isEmpty() ? QStringLiteral("OK") : ActionButton.Caption.toQString();
        QPushButton *action = box->addButton(caption, QMessageBox::AcceptRole);
        box->setDefaultButton(action);
        buttons.emplace_back(action, &ActionButton);
    }

    box->exec();
    if (box.isNull())
        return nullptr;
    QAbstractButton *clicked = box->clickedButton();
    delete box.data();
    for (const auto &[qtButton, button] : buttons) {
        if (qtButton == clicked)
            return button;
    }
    return nullptr;
}

} // namespace fw
