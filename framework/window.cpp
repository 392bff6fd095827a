#include "framework/window.h"

#include "framework/menu.h"
#include "framework/toolbar.h"

#include <QEventLoop>
#include <QHideEvent>
#include <QMenuBar>
#include <QMouseEvent>

namespace fw {

// The window's content: lays out the controls by their locks whenever it is resized.
class Window::Content : public QWidget
{
public:
    explicit Content(Window *window) : QWidget(window), m_window(window) {}
    QSize sizeHint() const override { return m_window->m_designSize; }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QWidget::resizeEvent(event);
        m_window->placeControls();
    }

private:
    Window *m_window;
};

Window::Window(QWidget *parent) : QMainWindow(parent), m_content(new Content(this))
{
    setCentralWidget(m_content);
    // No toolbar-hiding popup: the toolbar is part of the window.
    setContextMenuPolicy(Qt::PreventContextMenu);
}

Window::~Window()
{
    // Controls go first, while the window that holds their widgets still stands.
    m_controls.clear();
}

void Window::applyAttributes(const WindowAttributes &attributes)
{
    m_designSize = QSize(attributes.Width, attributes.Height);
    m_modalFrame = attributes.Frame == FrameModalDialog;
    m_visibleAtOpen = attributes.Visible;

    Qt::WindowFlags flags = (m_modalFrame ? Qt::Dialog : Qt::Window) | Qt::CustomizeWindowHint |
                            Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
    if (attributes.CloseButton)
        flags |= Qt::WindowCloseButtonHint;
    if (attributes.MinimizeButton)
        flags |= Qt::WindowMinimizeButtonHint;
    if (attributes.MaximizeButton)
        flags |= Qt::WindowMaximizeButtonHint;
    setWindowFlags(flags);
    if (m_modalFrame)
        setWindowModality(Qt::ApplicationModal);

    if (attributes.Resizeable) {
        m_content->setMinimumSize(attributes.MinWidth, attributes.MinHeight);
        m_content->setMaximumSize(qMin(attributes.MaxWidth, QWIDGETSIZE_MAX),
                                  qMin(attributes.MaxHeight, QWIDGETSIZE_MAX));
    } else {
        m_content->setFixedSize(m_designSize);
    }
    m_content->setAutoFillBackground(attributes.HasBackColor);
    if (attributes.HasBackColor) {
        QPalette palette = m_content->palette();
        palette.setColor(QPalette::Window, attributes.BackColor);
        m_content->setPalette(palette);
    }
    setTitle(attributes.Title);
    m_content->resize(m_designSize);
}

void Window::addControl(std::unique_ptr<Control> control)
{
    if (auto *toolbar = dynamic_cast<Toolbar *>(control.get())) {
        addToolBar(Qt::TopToolBarArea, toolbar->toolBar());
    } else {
        control->widget()->setParent(m_content);
        control->place(m_designSize, m_content->size());
        control->widget()->setVisible(control->Visible());
    }
    m_controls.push_back(std::move(control));
}

Control *Window::findControl(const String &name) const
{
    for (const auto &control : m_controls) {
        if (control->Name() == name)
            return control.get();
    }
    return nullptr;
}

void Window::placeControls()
{
    for (const auto &control : m_controls) {
        if (dynamic_cast<Toolbar *>(control.get()) == nullptr)
            control->place(m_designSize, m_content->size());
    }
}

void Window::open()
{
    for (const auto &control : m_controls) {
        if (control->Open)
            control->Open();
    }
    Event_Open();
    // The window's outer size is the content's designed size plus its menu bar and toolbar.
    resize(sizeHint().expandedTo(m_designSize));
    if (m_visibleAtOpen && !m_modalFrame)
        show();
}

void Window::setTitle(const String &title)
{
    m_title = title;
    setWindowTitle(title.toQString());
}

void Window::setMenuBar(fw::MenuBar *menuBar)
{
    m_menuBar = menuBar;
    auto *bar = new QMenuBar(this);
    if (menuBar != nullptr)
        menuBar->attach(bar);
    QMainWindow::setMenuBar(bar);
}

void Window::ShowModal()
{
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    QEventLoop loop;
    m_modalLoop = &loop;
    loop.exec(QEventLoop::DialogExec);
    m_modalLoop = nullptr;
}

bool Window::Event_MouseDown(int /*x*/, int /*y*/)
{
    return false;
}

void Window::mousePressEvent(QMouseEvent *event)
{
    const QPoint point = m_content->mapFrom(this, event->position().toPoint());
    if (!Event_MouseDown(point.x(), point.y()))
        QMainWindow::mousePressEvent(event);
}

void Window::hideEvent(QHideEvent *event)
{
    QMainWindow::hideEvent(event);
    // A minimised window is hidden by the system, not dismissed.
    if (m_modalLoop != nullptr && !event->spontaneous())
        m_modalLoop->quit();
}

} // namespace fw
