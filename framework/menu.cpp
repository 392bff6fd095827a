#include "framework/menu.h"

#include "framework/application.h"
#include "framework/exceptions.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace fw {

MenuItem::MenuItem() : m_action(std::make_unique<QAction>())
{
    QObject::connect(m_action.get(), &QAction::triggered, [this] { Action(); });
}

MenuItem::~MenuItem()
{
    // Children first: their actions sit in this item's menu.
    m_children.clear();
}

void MenuItem::setText(const String &text)
{
    m_text = text;
    showText();
}

void MenuItem::showText()
{
    const QString text = m_text.toQString();
    const bool separator = text == QLatin1String("-");
    m_action->setSeparator(separator);
    // A separator is a line alone; the style would draw its "-" beside the line.
    m_action->setText(separator ? QString() : text);
    if (m_menu)
        m_menu->setTitle(text);
}

void MenuItem::setKeyboardShortcut(const String &shortcut)
{
    m_shortcut = shortcut;
    QString text = shortcut.toQString();
    // Qt writes the command key as Ctrl and shows it as the platform's own modifier.
    text.replace(QLatin1String("Cmd+"), QLatin1String("Ctrl+"), Qt::CaseInsensitive);
    m_action->setShortcut(QKeySequence::fromString(text, QKeySequence::PortableText));
}

void MenuItem::setAutoEnable(bool autoEnable)
{
    m_autoEnable = autoEnable;
    m_action->setEnabled(autoEnable);
    if (m_menu)
        m_menu->menuAction()->setEnabled(autoEnable);
}

void MenuItem::Append(std::unique_ptr<MenuItem> item)
{
    MenuItem &child = *item;
    m_children.push_back(std::move(item));
    childAppended(child);
}

void MenuItem::childAppended(MenuItem &child)
{
    menu()->addAction(child.action());
}

MenuItem &MenuItem::Item(int index) const
{
    if (index < 0 || index >= Count())
        throw OutOfBoundsException();
    return *m_children[static_cast<size_t>(index)];
}

MenuItem &MenuItem::Child(const String &name) const
{
    for (const auto &child : m_children) {
        if (child->Name() == name)
            return *child;
    }
    throw NilObjectException();
}

MenuItem &MenuItem::Lookup(const String &name)
{
    MenuItem *found = find(name);
    if (found == nullptr)
        throw NilObjectException();
    return *found;
}

MenuItem *MenuItem::find(const String &name)
{
    if (m_name == name)
        return this;
    for (const auto &child : m_children) {
        if (MenuItem *found = child->find(name))
            return found;
    }
    return nullptr;
}

QAction *MenuItem::action() const
{
    return m_menu ? m_menu->menuAction() : m_action.get();
}

QMenu *MenuItem::menu()
{
    if (!m_menu) {
        m_menu = std::make_unique<QMenu>();
        m_menu->menuAction()->setEnabled(m_autoEnable);
        showText();
    }
    return m_menu.get();
}

void MenuItem::Action()
{
    if (Application *app = GetAppObject())
        app->HandleMenuCommand(m_name);
}

QuitMenuItem::QuitMenuItem()
{
    action()->setMenuRole(QAction::QuitRole);
}

void QuitMenuItem::Action()
{
    if (Application *app = GetAppObject())
        app->Quit();
    else
        QCoreApplication::quit();
}

AppleMenuItem::AppleMenuItem()
{
    action()->setMenuRole(QAction::AboutRole);
}

void MenuBar::attach(QMenuBar *bar)
{
    m_bars.append(bar);
    for (int i = 0; i < Count(); ++i)
        bar->addMenu(Item(i).menu());
}

void MenuBar::childAppended(MenuItem &child)
{
    for (const QPointer<QMenuBar> &bar : std::as_const(m_bars)) {
        if (bar)
            bar->addMenu(child.menu());
    }
}

} // namespace fw
