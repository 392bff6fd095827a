#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <ostream>

// Texts and lists of texts show as text when an expectation on them fails.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList &texts, std::ostream *out)
{
    *out << '[' << texts.join(QStringLiteral(" | ")).toStdString() << ']';
}
QT_END_NAMESPACE

namespace testsupport {

// Answers the modal windows that the code under test opens, from the event loop. Each window is
// offered to the next answer in order; one that it does not take, or that comes when none is left,
// is closed all the same (a message box by its first button, another dialog rejected, any other
// window closed) and noted, so that a failing test cannot hang.
class ModalAnswers
{
public:
    using Answer = std::function<bool(QWidget *)>; // true when it took (and answered) the window

    explicit ModalAnswers(std::deque<Answer> answers = {});
    ModalAnswers(const ModalAnswers &) = delete;
    ModalAnswers &operator=(const ModalAnswers &) = delete;

    // Replaces the answers still waiting.
    void expect(std::deque<Answer> answers) { m_answers = std::move(answers); }
    bool allAnswered() const { return m_answers.empty(); }
    // Every window that came up, in order: a message box by its text, another by its class name
    // (a file chooser as kChooser).
    const QStringList &seen() const { return m_seen; }
    // Those of them that no answer took.
    const QStringList &unexpected() const { return m_unexpected; }

private:
    void poll();

    std::deque<Answer> m_answers;
    QTimer m_timer;
    QPointer<QWidget> m_last;
    QStringList m_seen;
    QStringList m_unexpected;
};

// A file chooser, as seen() names it.
inline const QString kChooser = QStringLiteral("QFileDialog");

// What a message box showed when it came up.
struct MessageShown
{
    bool shown = false;
    QString text;
    QString informativeText;
    QStringList captions; // sorted
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::WindowModality modality = Qt::NonModal;
    QWidget *parent = nullptr;
    QRect frame;   // on the desktop, with the window's frame
    QRect screen;  // the available area of the screen it came up on
    QRect pressed; // the button pressed, on the desktop
};

// A message below is a message box, or the dialog whose lines scroll for a text no box fits on screen.
// A message box, accepted.
ModalAnswers::Answer acceptMessage();
// A message box, accepted after its text is kept in `text` when given.
ModalAnswers::Answer readMessage(QString *text);
// A message box, answered with the button of that caption; what it showed is kept in `shown`
// when given. A box without that button is not taken.
ModalAnswers::Answer press(const QString &caption, MessageShown *shown = nullptr);
// A message box, closed without a button.
ModalAnswers::Answer dismissMessage();
// A file chooser, given the path as typed and accepted.
ModalAnswers::Answer choose(const QString &path);
// A file chooser, cancelled.
ModalAnswers::Answer cancelChooser();

} // namespace testsupport
