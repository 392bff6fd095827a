#include "framework/application.h"

#include "framework/exceptions.h"
#include "framework/thread.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStringListModel>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace fw {

namespace {

std::unique_ptr<QApplication> g_qtApp;
Application *g_app = nullptr;
std::function<void()> g_unhandledHook;
QString g_unhandledTitle;
QString g_unhandledLead;
int g_exitStatus = 0;
FolderItem g_executableFile;

QString describe(const std::exception_ptr &exception)
{
    try {
        std::rethrow_exception(exception);
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    } catch (...) { // NOLINT: the service takes whatever was thrown
        return QStringLiteral("unknown exception");
    }
}

// The screen a dialog over `parent` comes up on, as the dialog places itself.
QScreen *screenFor(const QWidget *parent)
{
    if (parent != nullptr)
        return parent->window()->screen();
    QScreen *atCursor = QGuiApplication::screenAt(QCursor::pos());
    return atCursor != nullptr ? atCursor : QGuiApplication::primaryScreen();
}

// Whether a message box shows the text whole within the screen: its lines, wrapped no wider than a
// box wraps them, take at most two thirds of the screen's height, the rest being the box's frame and
// button. Only the lines that fit are measured, so a text of any length is judged at once.
bool fitsInABox(const QString &text, const QRect &screen)
{
    const QFontMetrics metrics(QApplication::font("QMessageBox"));
    const int wrapWidth = std::max(1, std::min(screen.width() / 2, 500));
    const int room = screen.height() * 2 / 3;
    int height = 0;
    for (const QStringView line : QStringTokenizer(text, u'\n')) {
        height += metrics.lineSpacing() * (1 + metrics.horizontalAdvance(line.toString()) / wrapWidth);
        if (height > room)
            return false;
    }
    return true;
}

// A text too long for a message box: its lines scroll in a read-only view sized to the screen, the
// button below it, so that the whole dialog and its button stay in reach. The view lays the lines out
// in batches between turns of the event loop, so that no number of lines stalls the window.
void showScrolling(const QString &text, QWidget *parent, const QRect &screen)
{
    QDialog dialog(parent);
    auto *view = new QListView(&dialog);
    view->setModel(new QStringListModel(text.split(u'\n'), view));
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(QAbstractItemView::NoSelection);
    view->setLayoutMode(QListView::Batched);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(view);
    layout->addWidget(buttons);
    // Enter answers it as it answers a message box; Tab reaches the lines.
    buttons->button(QDialogButtonBox::Ok)->setFocus();
    const int width = QFontMetrics(view->font()).averageCharWidth() * 100;
    dialog.resize(std::min(width, screen.width() * 3 / 4), screen.height() * 2 / 3);
    dialog.exec();
}

} // namespace

Application::Application() = default;
Application::~Application() = default;

FolderItem Application::ExecutableFile() const
{
    if (!g_executableFile.isNil())
        return g_executableFile;
    return FolderItem::fromPath(QCoreApplication::applicationFilePath());
}

void Application::setExecutableFile(const FolderItem &file)
{
    g_executableFile = file;
}

void Application::AddMenuHandler(const String &itemName, std::function<bool()> handler)
{
    m_menuHandlers[itemName.toQString()] = std::move(handler);
}

bool Application::HandleMenuCommand(const String &itemName)
{
    const auto it = m_menuHandlers.constFind(itemName.toQString());
    return it != m_menuHandlers.cend() && it.value()();
}

void Application::Quit()
{
    QCoreApplication::quit();
}

void RunMain(const std::function<void()> &steps)
{
    try {
        steps();
    } catch (...) { // NOLINT: whatever escapes the main steps goes to the service
        RuntimeUnhandledException(std::current_exception());
    }
}

void RuntimeInit(int &argc, char **argv)
{
    g_qtApp = std::make_unique<QApplication>(argc, argv);
}

void RuntimeRegisterAppObject(Application *app)
{
    g_app = app;
}

Application *GetAppObject()
{
    return g_app;
}

int RuntimeRun()
{
    // The Open event runs as the loop's first event, so it completes before any user command.
    QTimer::singleShot(0, [] {
        if (g_app != nullptr)
            g_app->Event_Open();
    });
    g_exitStatus = QApplication::exec();
    return g_exitStatus;
}

int RuntimeExit()
{
    KillAllThreads();
    g_app = nullptr;
    g_qtApp.reset();
    return g_exitStatus;
}

void RuntimeUnhandledException(const std::exception_ptr &exception)
{
    const QString lead = g_unhandledLead.isEmpty() ? QString() : g_unhandledLead + u'\n';
    QMessageBox box(QMessageBox::Critical, g_unhandledTitle, lead + describe(exception));
    box.exec();
    if (g_unhandledHook)
        g_unhandledHook();
}

void SetUnhandledExceptionHook(std::function<void()> hook)
{
    g_unhandledHook = std::move(hook);
}

void SetUnhandledExceptionMessage(const String &title, const String &lead)
{
    g_unhandledTitle = title.toQString();
    g_unhandledLead = lead.toQString();
}

void MsgBox(const String &text)
{
    const QString message = text.toQString();
    QWidget *parent = QApplication::activeWindow();
    const QRect screen = screenFor(parent)->availableGeometry();
    if (!fitsInABox(message, screen)) {
        showScrolling(message, parent, screen);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QString(), message, QMessageBox::Ok, parent);
    box.exec();
}

void Beep()
{
    QApplication::beep();
}

} // namespace fw
