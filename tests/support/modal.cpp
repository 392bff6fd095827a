#include "tests/support/modal.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QScreen>

#include <optional>

namespace testsupport {

namespace {

// A message as the framework shows it: a message box, or a dialog whose lines scroll in a list above
// its buttons when the text would not fit the screen in a box.
struct Message
{
    QDialog *dialog;
    QString text;
    QString informativeText;
    QList<QAbstractButton *> buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

std::optional<Message> messageIn(QWidget *modal)
{
    if (auto *box = qobject_cast<QMessageBox *>(modal))
        return Message{box, box->text(), box->informativeText(), box->buttons(), box->icon()};
    auto *dialog = qobject_cast<QDialog *>(modal);
    auto *lines = dialog != nullptr ? dialog->findChild<QListView *>() : nullptr;
    auto *buttons = dialog != nullptr ? dialog->findChild<QDialogButtonBox *>() : nullptr;
    if (lines == nullptr || buttons == nullptr || qobject_cast<QFileDialog *>(dialog) != nullptr)
        return std::nullopt;
    QStringList text;
    for (int row = 0; row < lines->model()->rowCount(); ++row)
        text << lines->model()->index(row, 0).data().toString();
    return Message{dialog, text.join(u'\n'), {}, buttons->buttons()};
}

void closeUnanswered(QWidget *modal)
{
    if (const auto message = messageIn(modal); message && !message->buttons.isEmpty()) {
        message->buttons.constFirst()->click();
        return;
    }
    if (auto *dialog = qobject_cast<QDialog *>(modal)) {
        dialog->reject();
        return;
    }
    modal->close();
}

} // namespace

ModalAnswers::ModalAnswers(std::deque<Answer> answers) : m_answers(std::move(answers))
{
    QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
    m_timer.start(5);
}

void ModalAnswers::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == m_last)
        return;
    m_last = modal;
    const auto message = messageIn(modal);
    const QString said = message ? message->text : QString::fromLatin1(modal->metaObject()->className());
    m_seen << said;
    if (!m_answers.empty()) {
        // Taken off first: an answer may run the event loop, and a window opened meanwhile gets the next.
        Answer answer = std::move(m_answers.front());
        m_answers.pop_front();
        if (answer(modal))
            return;
        m_answers.push_front(std::move(answer));
    }
    m_unexpected << said;
    closeUnanswered(modal);
}

ModalAnswers::Answer acceptMessage()
{
    return readMessage(nullptr);
}

ModalAnswers::Answer readMessage(QString *text)
{
    return [text](QWidget *modal) {
        const auto message = messageIn(modal);
        if (!message)
            return false;
        if (text != nullptr)
            *text = message->text;
        message->dialog->accept();
        return true;
    };
}

ModalAnswers::Answer press(const QString &caption, MessageShown *shown)
{
    return [caption, shown](QWidget *modal) {
        const auto message = messageIn(modal);
        if (!message)
            return false;
        if (shown != nullptr) {
            shown->shown = true;
            shown->text = message->text;
            shown->informativeText = message->informativeText;
            shown->captions.clear();
            for (QAbstractButton *button : message->buttons)
                shown->captions << button->text();
            shown->captions.sort();
            shown->icon = message->icon;
            shown->modality = modal->windowModality();
            shown->parent = modal->parentWidget();
            shown->frame = modal->frameGeometry();
            shown->screen = modal->screen()->availableGeometry();
        }
        for (QAbstractButton *button : message->buttons) {
            if (button->text() == caption) {
                if (shown != nullptr)
                    shown->pressed = QRect(button->mapToGlobal(QPoint(0, 0)), button->size());
                button->click();
                return true;
            }
        }
        return false;
    };
}

ModalAnswers::Answer dismissMessage()
{
    return [](QWidget *modal) {
        const auto message = messageIn(modal);
        if (message)
            message->dialog->reject();
        return message.has_value();
    };
}

ModalAnswers::Answer choose(const QString &path)
{
    return [path](QWidget *modal) {
        auto *chooser = qobject_cast<QFileDialog *>(modal);
        if (chooser == nullptr)
            return false;
        chooser->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
        QMetaObject::invokeMethod(chooser, "accept");
        return true;
    };
}

ModalAnswers::Answer cancelChooser()
{
    return [](QWidget *modal) {
        auto *chooser = qobject_cast<QFileDialog *>(modal);
        if (chooser != nullptr)
            chooser->reject();
        return chooser != nullptr;
    };
}

} // namespace testsupport
