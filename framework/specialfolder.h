#pragma once

#include "framework/folderitem.h"
#include "framework/volumes.h"

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

// The places where the user keeps their own files: inside the home folder; or on a mounted volume
// other than the startup volume, on a device that is neither the startup volume's nor the home
// folder's (a folder of the startup volume mounted elsewhere is the startup volume), owned by the user
// running the program, below no folder of another user but root from the volume's root down, neither
// an account's home folder nor a folder holding one, and holding nothing of another user but root in a
// tree wholly looked through (a move takes it whole, in one rename). Either way below no hidden
// (dot-named) folder and not hidden itself, and not protected. The folders above an item are taken as
// their links lead, the item as it is. The system's tables are read once per object: the mount table
// (while it lives, for every question about volumes, and again after a mount or an unmount), the
// devices of "/" and the home, the accounts' homes. A tree is looked through on each question.
class UserLocations
{
public:
    UserLocations();
    bool Contains(const FolderItem &item) const;

private:
    bool isUsersOnVolume(const QString &volumeRoot, const QString &path) const;

    MountTableSnapshot m_mountTable;
    ProtectedLocations m_protected;
    QString m_lexicalHome;
    QString m_realHome;
    quint64 m_startupDevice = 0;
    quint64 m_homeDevice = 0;
    QStringList m_accountHomes; // as written and as they really are
    mutable QHash<QString, QString> m_realFolders;
};

} // namespace fw::SpecialFolder
