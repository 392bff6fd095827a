#pragma once

#include "framework/control.h"
#include "framework/exceptions.h"
#include "framework/string.h"

#include <QColor>
#include <QMainWindow>

#include <memory>
#include <vector>

class QEventLoop;

namespace fw {

class MenuBar;

// What a window is made with. Sizes are those of the content, below the menu bar and toolbar.
struct WindowAttributes
{
    int Width = 300;
    int Height = 300;
    int MinWidth = 64;
    int MinHeight = 64;
    int MaxWidth = 32000;
    int MaxHeight = 32000;
    int Frame = 0; // 0 a document window, 2 a modal dialog
    bool HasBackColor = false;
    QColor BackColor = Qt::white;
    String Title;
    bool Visible = true;
    bool CloseButton = true;
    bool Resizeable = true;
    bool MaximizeButton = true;
    bool MinimizeButton = true;
};

// A window with named controls placed in its content. Made in two steps: the constructor of the
// subclass applies the attributes and adds the controls, then open() raises the Open events and
// shows the window. Other parts take a window as a dialog parent through its QWidget.
class Window : public QMainWindow
{
public:
    static constexpr int FrameDocument = 0;
    static constexpr int FrameModalDialog = 2;

    explicit Window(QWidget *parent = nullptr);
    ~Window() override;

    void applyAttributes(const WindowAttributes &attributes);

    // Adds the control under its Name; a toolbar goes to the window's toolbar area.
    void addControl(std::unique_ptr<Control> control);

    // The control of that name; raises NilObjectException when there is none of that kind.
    template <class T> T &control(const String &name) const
    {
        auto *found = dynamic_cast<T *>(findControl(name));
        if (found == nullptr)
            throw NilObjectException();
        return *found;
    }

    // Raises the controls' Open events and then the window's, then shows a visible document window
    // (a modal dialog shows through ShowModal).
    void open();

    String Title() const { return m_title; }
    void setTitle(const String &title);

    // The menu bar shown in the window; the window does not own it.
    fw::MenuBar *MenuBar() const { return m_menuBar; }
    void setMenuBar(fw::MenuBar *menuBar);

    // Shows the window modally and returns when it has been hidden or closed.
    void ShowModal();
    void Hide() { hide(); }
    void Close() { close(); }

protected:
    virtual void Event_Open() {}
    // A mouse press in the window's content, in content coordinates; True when handled.
    virtual bool Event_MouseDown(int x, int y);

    void mousePressEvent(QMouseEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    class Content;
    Control *findControl(const String &name) const;
    void placeControls();

    Content *m_content;
    QSize m_designSize;
    std::vector<std::unique_ptr<Control>> m_controls;
    String m_title;
    fw::MenuBar *m_menuBar = nullptr;
    bool m_modalFrame = false;
    bool m_visibleAtOpen = true;
    QEventLoop *m_modalLoop = nullptr;
};

} // namespace fw
