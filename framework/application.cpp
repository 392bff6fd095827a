#include "framework/application.h"

#include "framework/exceptions.h"
#include "framework/thread.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

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
    QMessageBox box(QMessageBox::NoIcon, QString(), text.toQString(), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void Beep()
{
    QApplication::beep();
}

} // namespace fw
