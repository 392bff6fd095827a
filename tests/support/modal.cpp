#include "tests/support/modal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QTimer>


namespace testsupport {

void answerNextModal(std::function<void(QWidget *)> handler, int timeoutMs)
{
    auto *timer = new QTimer;
    auto deadline = QDeadlineTimer(timeoutMs);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, deadline, handler = std::move(handler)]() {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal == nullptr && !deadline.hasExpired())
            return;
        timer->stop();
        timer->deleteLater();
        if (modal != nullptr)
            handler(modal);
    });
    timer->start();
}

QString messageText(QWidget *modal)
{
    if (auto *box = qobject_cast<QMessageBox *>(modal))
        return box->text();
    return {};
}

void pressButton(QWidget *modal, const QString &buttonText)
{
    auto *box = qobject_cast<QMessageBox *>(modal);
    if (box == nullptr) {
        modal->close();
        return;
    }
    for (QAbstractButton *button : box->buttons()) {
        if (buttonText.isEmpty() || button->text() == buttonText) {
            button->click();
            return;
        }
    }
    box->close();
}

} // namespace testsupport
