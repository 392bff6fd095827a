#include "framework/control.h"

namespace fw {

Control::Control(QWidget *widget) : m_widget(widget) {}

Control::~Control()
{
    delete m_widget;
}

int Control::Left() const
{
    return m_widget->x();
}

int Control::Top() const
{
    return m_widget->y();
}

int Control::Width() const
{
    return m_widget->width();
}

int Control::Height() const
{
    return m_widget->height();
}

void Control::setBounds(int left, int top, int width, int height)
{
    m_bounds = QRect(left, top, width, height);
    m_widget->setGeometry(m_bounds);
}

void Control::setLocks(bool left, bool top, bool right, bool bottom)
{
    m_lockLeft = left;
    m_lockTop = top;
    m_lockRight = right;
    m_lockBottom = bottom;
}

void Control::setVisible(bool visible)
{
    m_visible = visible;
    m_widget->setVisible(visible);
}

bool Control::Enabled() const
{
    return m_widget->isEnabled();
}

void Control::setEnabled(bool enabled)
{
    m_widget->setEnabled(enabled);
}

void Control::place(const QSize &designSize, const QSize &contentSize)
{
    const int dx = contentSize.width() - designSize.width();
    const int dy = contentSize.height() - designSize.height();
    QRect rect = m_bounds;
    if (m_lockRight && m_lockLeft)
        rect.setWidth(qMax(0, rect.width() + dx));
    else if (m_lockRight)
        rect.moveLeft(rect.left() + dx);
    if (m_lockBottom && m_lockTop)
        rect.setHeight(qMax(0, rect.height() + dy));
    else if (m_lockBottom)
        rect.moveTop(rect.top() + dy);
    m_widget->setGeometry(rect);
}

} // namespace fw
