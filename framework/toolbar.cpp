#include "framework/toolbar.h"

#include "framework/exceptions.h"

#include <QAction>
#include <QEvent>
#include <QPixmap>
#include <QToolBar>

namespace fw {

namespace {

// The width of a space item: about half a button.
constexpr int SpaceWidth = 24;

// Qt shows a button's text as its tip when its action has none: an item without a help tag shows none.
class HelpTagOnly : public QObject
{
public:
    HelpTagOnly(const ToolItem &item, QObject *button) : QObject(button), m_item(item) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ToolTip && m_item.HelpTag().isEmpty())
            return true;
        return QObject::eventFilter(watched, event);
    }

private:
    const ToolItem &m_item;
};

} // namespace

ToolItem::ToolItem() : m_action(std::make_unique<QAction>()) {}

ToolItem::~ToolItem() = default;

bool ToolItem::Enabled() const
{
    return m_action->isEnabled();
}

void ToolItem::setEnabled(bool enabled)
{
    m_action->setEnabled(enabled);
}

void ToolItem::setHelpTag(const String &helpTag)
{
    m_helpTag = helpTag;
    m_action->setToolTip(helpTag.toQString());
}

ToolButton::ToolButton() = default;

void ToolButton::setCaption(const String &caption)
{
    m_caption = caption;
    action()->setText(caption.toQString());
}

void ToolButton::setIcon(const PicturePtr &icon)
{
    m_icon = icon;
    action()->setIcon(icon ? QIcon(QPixmap::fromImage(icon->rendered())) : QIcon());
}

Toolbar::Toolbar() : Control(new QToolBar)
{
    QToolBar *bar = toolBar();
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(32, 32));
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    QObject::connect(bar, &QToolBar::actionTriggered, [this](QAction *action) {
        for (const auto &item : m_items) {
            if (item->action() == action) {
                if (Action)
                    Action(*item);
                return;
            }
        }
    });
}

Toolbar::~Toolbar()
{
    // The toolbar widget goes before the items whose actions it shows.
    delete widget();
}

void Toolbar::Append(std::unique_ptr<ToolItem> item)
{
    auto *button = dynamic_cast<ToolButton *>(item.get());
    if (button != nullptr && button->Style() == ToolButton::StyleSpace) {
        auto *space = new QWidget;
        space->setFixedWidth(SpaceWidth);
        toolBar()->addWidget(space);
    } else {
        toolBar()->addAction(item->action());
        QWidget *button = toolBar()->widgetForAction(item->action());
        button->installEventFilter(new HelpTagOnly(*item, button));
    }
    m_items.push_back(std::move(item));
}

ToolItem &Toolbar::Item(int index) const
{
    if (index < 0 || index >= Count())
        throw OutOfBoundsException();
    return *m_items[static_cast<size_t>(index)];
}

QToolBar *Toolbar::toolBar() const
{
    return static_cast<QToolBar *>(widget());
}

} // namespace fw
