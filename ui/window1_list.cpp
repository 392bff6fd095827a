// The list's rows: the found-item registry, group rows expanding into their pieces, ticks passed
// from a group row to its pieces, the tint of even rows, row icons.
#include "framework/icons.h"
#include "framework/itemidentity.h"
#include "framework/listbox.h"
#include "framework/thread.h"
#include "ui/kindcodes.h"
#include "ui/toolbar1.h"
#include "ui/window1.h"
#include "util/globals.h"

#include <QHash>

using fw::String;

namespace {

String kindCaption(const String &kind)
{
    if (kind == KindCode::ApplicationFolder)
        return "アプリケーション（フォルダ）";
    if (kind == KindCode::Application)
        return "アプリケーション（単体）";
    if (kind == KindCode::Preferences)
        return "初期設定フォルダ";
    if (kind == KindCode::Plist)
        return "plist";
    if (kind == KindCode::ApplicationSupport)
        return "App. Supportフォルダ";
    if (kind == KindCode::Documents)
        return "書類";
    return {};
}

} // namespace

int32_t Window1::AddFIlist(const fw::FolderItem &f, const String &kind)
{
    // The first entry of a path keeps its index and its kind, as a scan in registry order would.
    if (!pFI.empty())
        fw::Yield();
    // Kept by the path that reaches it without a link, which the move will walk again.
    const fw::FolderItem piece = fw::FolderItem::fromNativePath(fw::WithRealFolder(f.nativePath()));
    const int32_t existing = pFI.indexOf(piece.AbsolutePath());
    if (existing >= 0)
        return existing;
    return pFI.append(piece, kind);
}

void Window1::Listbox1_ExpandRow(int row)
{
    ExpRow(row);
}

void Window1::ExpRow(int row)
{
    fw::Listbox &list = Listbox1();
    const String indexes = list.Cell(row, ReferenceColumn);
    // Split once: the fields before the last ":", each an index.
    const QList<QByteArray> fields = indexes.bytes().split(':');
    for (qsizetype i = 0; i + 1 < fields.size(); ++i) {
        const int32_t index = fw::ToInt32(fw::Val(String::fromBytes(fields[i], indexes.encoding())));
        if (index < 0 || index >= pFI.size())
            continue;
        const fw::Dictionary &found = pFI[index];
        const fw::FolderItem f = found.Value("item").FolderItemValue();
        const String kind = found.Value("kind").StringValue();
        list.AddRow(f.DisplayName());
        const int child = list.LastIndex();
        const fw::FolderItem::Status status = f.ReadStatus();
        list.setRowPicture(child, MakeListFolIcon(f, status));
        list.setCellType(child, NameColumn, fw::Listbox::TypeCheckBox);
        list.setCellCheck(child, NameColumn, true);
        list.setCell(child, DateColumn, Globals::gDateTime(status.modified));
        list.setCell(child, KindCodeColumn, kind);
        list.setCell(child, ReferenceColumn, fw::Str(int64_t{index}));
        list.setCell(child, KindCaptionColumn, kindCaption(kind));
        fw::Yield();
    }
}

void Window1::Listbox1_CellAction(int row, int /*column*/)
{
    // A group row is the one without a kind code: a piece that is gone has an empty date too.
    fw::Listbox &list = Listbox1();
    if (!list.Cell(row, KindCodeColumn).isEmpty())
        return;
    for (int r = row + 1; r < list.ListCount() && !list.Cell(r, KindCodeColumn).isEmpty(); ++r) {
        list.setCellCheck(r, NameColumn, list.CellCheck(row, NameColumn));
        fw::Yield();
    }
}

bool Window1::Listbox1_CellBackgroundPaint(fw::Graphics &g, int row, int /*column*/)
{
    if (row % 2 == 0) {
        const fw::Listbox &list = Listbox1();
        g.setForeColor(QColor(237, 243, 254));
        g.FillRect(0, 0, list.Width(), list.Height());
    }
    return false;
}

void Window1::Listbox1_Change()
{
    const fw::Listbox &list = Listbox1();
    fw::ToolButton &showInFinder = *Toolbar11().ToolItem8;
    showInFinder.setEnabled(false);
    if (list.ListIndex() >= 0 && list.Cell(list.ListIndex(), KindCodeColumn) == KindCode::SearchResult)
        showInFinder.setEnabled(true);
}

fw::PicturePtr Window1::MakeListFolIcon(const fw::FolderItem &f, const fw::FolderItem::Status &status)
{
    // Items of one kind share one picture, made once: a search can list many thousands of items.
    static QHash<QString, fw::PicturePtr> icons;
    fw::PicturePtr &icon = icons[fw::IconKind(f, status)];
    if (icon)
        return icon;
    const fw::PicturePtr image = fw::GetIconFromFile(f, fw::IconImage);
    const fw::PicturePtr mask = fw::GetIconFromFile(f, fw::IconMask);
    icon = fw::NewPicture(16, 16, 32);
    icon->Graphics().DrawPicture(image, 0, 0);
    icon->Mask(true)->Graphics().DrawPicture(mask, 0, 0);
    return icon;
}
