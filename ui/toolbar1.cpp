#include "ui/toolbar1.h"

#include "framework/resources.h"

#include <array>
#include <memory>

namespace {

fw::ToolButton *appendItem(fw::Toolbar &bar, const char *name, int style, const char *caption)
{
    auto item = std::make_unique<fw::ToolButton>();
    fw::ToolButton *button = item.get();
    button->setName(name);
    button->setStyle(style);
    button->setEnabled(true);
    button->setCaption(caption);
    button->setHelpTag("");
    bar.Append(std::move(item));
    return button;
}

constexpr int Push = fw::ToolButton::StylePushButton;
constexpr int Space = fw::ToolButton::StyleSpace;

// The picture resource ids, in the order of the caches below.
constexpr std::array<int, 12> PictureIds{168, 169, 172, 173, 174, 175, 176, 177, 178, 179, 180, 181};

std::array<fw::PicturePtr, 12> &caches()
{
    static std::array<fw::PicturePtr, 12> pictures;
    return pictures;
}

fw::PicturePtr cachedPicture(size_t slot)
{
    fw::PicturePtr &cache = caches()[slot];
    if (!cache)
        cache = fw::GetPicture(PictureIds[slot]);
    return cache;
}

} // namespace

Toolbar1::Toolbar1()
    : ToolItem1(appendItem(*this, "ToolItem1", Push, "自動で取得")),
      ToolItem4(appendItem(*this, "ToolItem4", Push, "ゴミ箱に移動")),
      ToolItem2(appendItem(*this, "ToolItem2", Space, "Untitled")),
      ToolItem6(appendItem(*this, "ToolItem6", Push, "指定場所を探す…")),
      ToolItem8(appendItem(*this, "ToolItem8", Push, "Finderに表示")),
      ToolItem3(appendItem(*this, "ToolItem3", Space, "Untitled")),
      ToolItem5(appendItem(*this, "ToolItem5", Push, "中止")),
      ToolItem7(appendItem(*this, "ToolItem7", Space, "Untitled")),
      ToolItem9(appendItem(*this, "ToolItem9", Push, "リストをクリア"))
{
}

fw::PicturePtr disk_mask()
{
    return cachedPicture(0);
}

fw::PicturePtr disk()
{
    return cachedPicture(1);
}

fw::PicturePtr findItem()
{
    return cachedPicture(2);
}

fw::PicturePtr findItem_Mask()
{
    return cachedPicture(3);
}

fw::PicturePtr delete_()
{
    return cachedPicture(4);
}

fw::PicturePtr delete_Mask()
{
    return cachedPicture(5);
}

fw::PicturePtr stop()
{
    return cachedPicture(6);
}

fw::PicturePtr stop_Mask()
{
    return cachedPicture(7);
}

fw::PicturePtr showFinder()
{
    return cachedPicture(8);
}

fw::PicturePtr showFinder_Mask()
{
    return cachedPicture(9);
}

fw::PicturePtr clear()
{
    return cachedPicture(10);
}

fw::PicturePtr clear_Mask()
{
    return cachedPicture(11);
}

void ReleaseToolbarPictures()
{
    for (fw::PicturePtr &cache : caches())
        cache.reset();
}
