#pragma once

#include "framework/string.h"

#include <QList>
#include <QPointer>

#include <memory>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;

namespace fw {

// An item of a menu tree: a menu title when it has children, a command otherwise. Texts are
// framework strings, so a caption held in Shift_JIS shows as its characters.
class MenuItem
{
public:
    MenuItem();
    virtual ~MenuItem();
    MenuItem(const MenuItem &) = delete;
    MenuItem &operator=(const MenuItem &) = delete;

    const String &Name() const { return m_name; }
    void setName(const String &name) { m_name = name; }

    // "-" makes the item a separator; "&" marks the mnemonic letter.
    const String &Text() const { return m_text; }
    void setText(const String &text);

    // Written as "Cmd+" and a key; shown as the platform's shortcut (Ctrl on this one). "" sets none.
    const String &KeyboardShortcut() const { return m_shortcut; }
    void setKeyboardShortcut(const String &shortcut);

    // An item with AutoEnable is enabled; one without stays disabled.
    bool AutoEnable() const { return m_autoEnable; }
    void setAutoEnable(bool autoEnable);

    // Adds the item as the last child.
    void Append(std::unique_ptr<MenuItem> item);
    int Count() const { return static_cast<int>(m_children.size()); }
    // The child at the 0-based index; raises OutOfBoundsException outside the children.
    MenuItem &Item(int index) const;
    // The direct child of that name; raises NilObjectException when there is none.
    MenuItem &Child(const String &name) const;
    // The item of that name anywhere below this one (or this one); raises NilObjectException when
    // there is none.
    MenuItem &Lookup(const String &name);

    QAction *action() const;

protected:
    // The command: the application's handler for the item's name.
    virtual void Action();
    virtual void childAppended(MenuItem &child);
    QMenu *menu();

private:
    friend class MenuBar;
    MenuItem *find(const String &name);
    void showText();

    String m_name;
    String m_text;
    String m_shortcut;
    bool m_autoEnable = true;
    std::unique_ptr<QAction> m_action;
    std::unique_ptr<QMenu> m_menu;
    std::vector<std::unique_ptr<MenuItem>> m_children;
};

// The framework's quit item: ends the application.
class QuitMenuItem : public MenuItem
{
public:
    QuitMenuItem();

protected:
    void Action() override;
};

// The item that a Mac shows in the application menu (About); an ordinary item elsewhere.
class AppleMenuItem : public MenuItem
{
public:
    AppleMenuItem();
};

// The root of a menu tree; its children are the menus shown on the bar of every window it is
// attached to.
class MenuBar : public MenuItem
{
public:
    MenuBar() = default;
    // Shows the tree's menus on the bar, now and as they are appended.
    void attach(QMenuBar *bar);

protected:
    void childAppended(MenuItem &child) override;

private:
    QList<QPointer<QMenuBar>> m_bars;
};

} // namespace fw
