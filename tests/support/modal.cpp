#include "tests/support/modal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>

namespace testsupport {

namespace {

void closeUnanswered(QWidget *modal)
{
    if (auto *box = qobject_cast<QMessageBox *>(modal); box != nullptr && !box->buttons().isEmpty()) {
        box->buttons().constFirst()->click();
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
    auto *box = qobject_cast<QMessageBox *>(modal);
    const QString said = box != nullptr ? box->text() : QString::fromLatin1(modal->metaObject()->className());
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
    return [](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (box != nullptr)
            box->accept();
        return box != nullptr;
    };
}

ModalAnswers::Answer readMessage(QString *text)
{
    return [text](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (box == nullptr)
            return false;
        *text = box->text();
        box->accept();
        return true;
    };
}

ModalAnswers::Answer press(const QString &caption, MessageShown *shown)
{
    return [caption, shown](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (box == nullptr)
            return false;
        if (shown != nullptr) {
            shown->shown = true;
            shown->text = box->text();
            shown->informativeText = box->informativeText();
            shown->captions.clear();
            for (QAbstractButton *button : box->buttons())
                shown->captions << button->text();
            shown->captions.sort();
            shown->icon = box->icon();
            shown->modality = box->windowModality();
            shown->parent = box->parentWidget();
        }
        for (QAbstractButton *button : box->buttons()) {
            if (button->text() == caption) {
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
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (box != nullptr)
            box->reject();
        return box != nullptr;
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
