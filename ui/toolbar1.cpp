#include "ui/toolbar1.h"

#include "framework/resources.h"

#include <map>
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

// The pictures' resource ids, a numbering of their own: the scripts' 168 and 169 are other resources.
enum PictureId : int {
    DiskMaskPicture = 168,
    DiskPicture = 169,
    FindItemPicture = 172,
    FindItemMaskPicture = 173,
    DeletePicture = 174,
    DeleteMaskPicture = 175,
    StopPicture = 176,
    StopMaskPicture = 177,
    ShowFinderPicture = 178,
    ShowFinderMaskPicture = 179,
    ClearPicture = 180,
    ClearMaskPicture = 181,
};

std::map<PictureId, fw::PicturePtr> &caches()
{
    static std::map<PictureId, fw::PicturePtr> pictures;
    return pictures;
}

fw::PicturePtr cachedPicture(PictureId id)
{
    fw::PicturePtr &cache = caches()[id];
    if (!cache)
        cache = fw::GetPicture(id);
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
    return cachedPicture(DiskMaskPicture);
}

fw::PicturePtr disk()
{
    return cachedPicture(DiskPicture);
}

fw::PicturePtr findItem()
{
    return cachedPicture(FindItemPicture);
}

fw::PicturePtr findItem_Mask()
{
    return cachedPicture(FindItemMaskPicture);
}

fw::PicturePtr delete_()
{
    return cachedPicture(DeletePicture);
}

fw::PicturePtr delete_Mask()
{
    return cachedPicture(DeleteMaskPicture);
}

fw::PicturePtr stop()
{
    return cachedPicture(StopPicture);
}

fw::PicturePtr stop_Mask()
{
    return cachedPicture(StopMaskPicture);
}

fw::PicturePtr showFinder()
{
    return cachedPicture(ShowFinderPicture);
}

fw::PicturePtr showFinder_Mask()
{
    return cachedPicture(ShowFinderMaskPicture);
}

fw::PicturePtr clear()
{
    return cachedPicture(ClearPicture);
}

fw::PicturePtr clear_Mask()
{
    return cachedPicture(ClearMaskPicture);
}

void ReleaseToolbarPictures()
{
    for (auto &[id, cache] : caches())
        cache.reset();
}
