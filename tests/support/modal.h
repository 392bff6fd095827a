#pragma once

#include <QString>
#include <QWidget>

#include <functional>

namespace testsupport {

// Answers the next modal widget that opens (a message box, a dialog) from the event loop: the
// handler gets the widget and must close it. Polls until one shows up or the timeout passes.
void answerNextModal(std::function<void(QWidget *)> handler, int timeoutMs = 5000);

// The text of a message box (its main text), or "" for another widget.
QString messageText(QWidget *modal);

// Presses the message box's button whose text is `buttonText`, or its default/first button when
// the text is empty.
void pressButton(QWidget *modal, const QString &buttonText = {});

} // namespace testsupport
