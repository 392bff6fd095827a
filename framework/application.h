#pragma once

#include "framework/folderitem.h"
#include "framework/string.h"

#include <QHash>

#include <exception>
#include <functional>

namespace fw {

class MenuBar;

// The application object. One per process, registered with RuntimeRegisterAppObject.
class Application
{
public:
    Application();
    virtual ~Application();

    // The running program's executable file.
    FolderItem ExecutableFile() const;
    // Points the program at another executable file, so that tests can give it an application
    // folder (with its Resources) of their own.
    static void setExecutableFile(const FolderItem &file);

    void setMenuBar(MenuBar *menuBar) { m_menuBar = menuBar; }
    MenuBar *menuBar() const { return m_menuBar; }

    // Binds the menu item of the given name to a handler; the handler returns True when it handled
    // the command.
    void AddMenuHandler(const String &itemName, std::function<bool()> handler);
    // Runs the handler bound to the item name; False when there is none or it did not handle it.
    bool HandleMenuCommand(const String &itemName);

    // Ends the event loop.
    void Quit();

protected:
    // Raised once when the event loop starts, before any user command is handled.
    virtual void Event_Open() {}

private:
    friend int RuntimeRun();
    MenuBar *m_menuBar = nullptr;
    QHash<QString, std::function<bool()>> m_menuHandlers;
};

// Runs the program's main steps; an exception that escapes them goes to the unhandled-exception
// service, and the program then goes on to its teardown.
void RunMain(const std::function<void()> &steps);

// Initialises the framework with the process's arguments (creates the Qt application object).
void RuntimeInit(int &argc, char **argv);
void RuntimeRegisterAppObject(Application *app);
Application *GetAppObject();
// Raises the application's Open event, then runs the event loop until the application quits.
int RuntimeRun();
// Tears the framework down and returns the process's exit status.
int RuntimeExit();

// The service for an exception that nobody caught: shows a message and returns. When it came from a
// thread, the hook set below restores the window to its idle state.
void RuntimeUnhandledException(const std::exception_ptr &exception);
void SetUnhandledExceptionHook(std::function<void()> hook);
// The title of that message and the line that opens it, above the exception's own description.
void SetUnhandledExceptionMessage(const String &title, const String &lead);

// A modal message with one button.
void MsgBox(const String &text);

// The system beep.
void Beep();

} // namespace fw
