#pragma once

#include "framework/date.h"
#include "framework/string.h"

#include <QString>

#include <memory>

namespace fw {

class TextInputStream;
class BinaryStream;

// A file-system item: a path on the local file system, which may or may not exist. A default-made
// FolderItem is Nil; every method but isNil() raises NilObjectException on a Nil item.
class FolderItem
{
public:
    FolderItem() = default;
    // The item at an absolute POSIX path (no trailing slash kept, "/" for the root).
    static FolderItem fromPath(const QString &absolutePosixPath);

    bool isNil() const { return m_node == nullptr; }
    explicit operator bool() const { return !isNil(); }

    // The entry of this folder with the given name. A name is one path component: "", ".", "..", and
    // any name holding "/" give Nil. The exact name wins; else the one entry equal to it ignoring case
    // and Unicode normalization; else the item of the exact name, which does not exist.
    FolderItem Child(const String &name) const;
    FolderItem Parent() const;             // Nil for the root
    bool Exists() const;                   // a link exists when the link itself does
    bool Directory() const;                // a link to a folder is no directory: walks never enter it
    String Name() const;                   // the last component, UTF-8
    String AbsolutePath() const;           // the absolute POSIX path, UTF-8, without a trailing slash
    QString posixPath() const;
    // The path's exact bytes, as every system call on the item takes them.
    const QByteArray &nativePath() const;
    Date ModificationDate() const;

    // The folder's entries, sorted by name ignoring case, then by bytes; AppleDouble sidecars "._X"
    // left out. Read once per FolderItem (copies share the listing); Item numbers from 1.
    int Count() const;
    FolderItem Item(int index) const;      // Nil outside 1..Count

    // Classic Mac metadata: a folder is "fold"/"MACS"; a file's type and creator come from its
    // FinderInfo (see finderinfo.h); without FinderInfo both are empty.
    String MacType() const;
    String MacCreator() const;
    bool Visible() const;                  // False when the FinderInfo has the invisible flag

    // Streams; nullptr when the item cannot be opened (missing, a folder, no permission).
    std::unique_ptr<TextInputStream> OpenAsTextFile() const;
    std::unique_ptr<BinaryStream> OpenAsBinaryFile(bool readWrite = false) const;

    // Opens the item with the desktop's default application.
    void Launch(bool activate = true) const;

    // What one look at the item tells, for walks that ask several questions of every entry: the
    // answers of Exists, Directory, MacType, MacCreator and Visible at that moment, not kept up to
    // date. An entry of a listing is looked at with what the listing told (its kind, whether a
    // sidecar lay beside it), so that a walk reads no more of the disk than it must.
    struct Look
    {
        bool exists = false;
        bool directory = false;
        bool visible = true;
        String macType;
        String macCreator;
    };
    Look LookAt() const;

    friend bool operator==(const FolderItem &a, const FolderItem &b);

private:
    struct Listing;
    struct Node;
    // What the folder's listing told of an entry it gave.
    enum class Listed : unsigned char { No, Folder, Link, Other, Unknown };
    static void readEntries(const QByteArray &folder, Listing &listing);
    void requireItem() const;
    Listing &listing() const; // read on first use
    std::shared_ptr<Node> m_node;
    Listed m_listed = Listed::No;
    bool m_sidecarListed = false;
};

// The item at a path. Mode 0: an absolute path, POSIX or colon-separated ("Volume:folder:file");
// the empty path gives the default folder (the current working directory). Nil for a text that is
// no path this platform accepts.
FolderItem GetFolderItem(const String &path, int pathMode = 0);

} // namespace fw
