#pragma once

#include "framework/string.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>

namespace fw {

class Window;

// A control of a window: a widget with a name, a place in the window's content and edge locks that
// keep it attached to the window's edges when the window is resized. The control owns its widget.
class Control
{
public:
    virtual ~Control();
    Control(const Control &) = delete;
    Control &operator=(const Control &) = delete;

    const String &Name() const { return m_name; }
    void setName(const String &name) { m_name = name; }

    QWidget *widget() const { return m_widget; }

    // The place at which the window's content has its designed size; Left etc. read the place now.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void setBounds(int left, int top, int width, int height);

    // A control locked to the left and the right edges grows with the window; one locked only to
    // the right moves with that edge; the same for top and bottom.
    void setLocks(bool left, bool top, bool right, bool bottom);

    bool Visible() const { return m_visible; }
    void setVisible(bool visible);
    bool Enabled() const;
    void setEnabled(bool enabled);

    // Raised when the window opens, after every control exists and before the window's own Open.
    std::function<void()> Open;

protected:
    explicit Control(QWidget *widget);

private:
    friend class Window;
    // Places the widget for the content's current size, given the size the bounds were designed for.
    void place(const QSize &designSize, const QSize &contentSize);

    String m_name;
    QPointer<QWidget> m_widget;
    QRect m_bounds;
    bool m_lockLeft = true;
    bool m_lockTop = true;
    bool m_lockRight = false;
    bool m_lockBottom = false;
    bool m_visible = true;
};

} // namespace fw
