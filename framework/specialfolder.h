#pragma once

#include "framework/folderitem.h"

#include <QHash>
#include <QStringList>

namespace fw::SpecialFolder {

// The Mac layout: on macOS the system's folders; on Linux the same layout inside the home folder
// ($HOME), so that tests and the sample home run against a folder of their own.
FolderItem Home();
FolderItem Applications();    // /Applications on macOS, ~/Applications on Linux
FolderItem Preferences();     // ~/Library/Preferences
FolderItem ApplicationData(); // ~/Library/Application Support
FolderItem Documents();       // ~/Documents
FolderItem Desktop();         // ~/Desktop
FolderItem Downloads();       // ~/Downloads

// True for a location that must never be taken as a piece of a product: the root, a volume's root,
// the home folder, any special folder, Desktop, Documents and Downloads, and any folder holding one.
bool IsProtected(const FolderItem &item);

// True for a place where the user keeps their own files: inside the home folder, or on a mounted
// volume other than the startup volume; below no hidden (dot-named) folder on the way down from there
// and not hidden itself; and not protected. The folders above the item are taken as their links lead.
bool IsUserLocation(const FolderItem &item);

// The same test with the special folders' real paths, and those of the items' folders, resolved once:
// a run that registers many pieces asks the file system once per folder, not once per piece.
class ProtectedLocations
{
public:
    ProtectedLocations();
    bool Protects(const FolderItem &item) const;

private:
    QStringList m_locations; // each special folder as written and as it really is
    mutable QHash<QString, QString> m_realFolders;
};

} // namespace fw::SpecialFolder
