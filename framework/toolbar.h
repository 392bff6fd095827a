#pragma once

#include "framework/control.h"
#include "framework/picture.h"
#include "framework/string.h"

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QToolBar;

namespace fw {

// An item of a toolbar.
class ToolItem
{
public:
    virtual ~ToolItem();
    ToolItem(const ToolItem &) = delete;
    ToolItem &operator=(const ToolItem &) = delete;

    const String &Name() const { return m_name; }
    void setName(const String &name) { m_name = name; }
    bool Enabled() const;
    void setEnabled(bool enabled);
    // The help tag shown when the pointer rests on the item; "" for none.
    const String &HelpTag() const { return m_helpTag; }
    void setHelpTag(const String &helpTag);

    QAction *action() const { return m_action.get(); }

protected:
    ToolItem();

private:
    String m_name;
    String m_helpTag;
    std::unique_ptr<QAction> m_action;
};

// A button of a toolbar, or (style 5) an empty gap between groups of buttons. The style is read when
// the button is appended.
class ToolButton : public ToolItem
{
public:
    static constexpr int StylePushButton = 0;
    static constexpr int StyleSpace = 5;

    ToolButton();

    int Style() const { return m_style; }
    void setStyle(int style) { m_style = style; }
    const String &Caption() const { return m_caption; }
    void setCaption(const String &caption);
    // The icon as it shows, its mask applied; Nil for none.
    const PicturePtr &Icon() const { return m_icon; }
    void setIcon(const PicturePtr &icon);

private:
    int m_style = StylePushButton;
    String m_caption;
    PicturePtr m_icon;
};

// A window's toolbar, shown at the top of the window with 32 x 32 icons and captions beneath.
class Toolbar : public Control
{
public:
    Toolbar();
    ~Toolbar() override;

    // Adds the item at the right end; the toolbar owns it.
    void Append(std::unique_ptr<ToolItem> item);
    int Count() const { return static_cast<int>(m_items.size()); }
    // The item at the 0-based place; raises OutOfBoundsException outside the items.
    ToolItem &Item(int index) const;

    QToolBar *toolBar() const;

    // Raised when the user clicks a push button.
    std::function<void(ToolItem &)> Action;

private:
    std::vector<std::unique_ptr<ToolItem>> m_items;
};

} // namespace fw
