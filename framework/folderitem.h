#pragma once

#include "framework/date.h"
#include "framework/string.h"

#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

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
    // The same from the path's exact bytes, which need not be UTF-8 (names from old Mac archives).
    static FolderItem fromNativePath(const QByteArray &absolutePath);

    bool isNil() const { return m_node == nullptr; }
    explicit operator bool() const { return !isNil(); }

    // The entry of this folder with the given name (its bytes, see nativeBytes). A name is one path
    // component: "", ".", "..", and any name holding "/" give Nil. The exact name wins; else, for a
    // name that is UTF-8 text, the one such entry equal to it ignoring case and Unicode normalization;
    // else the item of the exact name, which does not exist.
    FolderItem Child(const String &name) const;
    FolderItem Parent() const; // Nil for the root
    bool Exists() const;       // a link exists when the link itself does
    bool Directory() const;    // a link to a folder is no directory: walks never enter it
    // The last component and the absolute POSIX path (without a trailing slash): their exact bytes,
    // labelled UTF-8 although they need not be, so that they compare and join as bytes.
    String Name() const;
    String AbsolutePath() const;
    // The name for people to read: UTF-8; else Mac Japanese when the bytes are valid as such; else
    // with a replacement mark. For display only: the item is reached by its bytes.
    String DisplayName() const;
    // The path as text, for Qt's own file APIs; a name that is not UTF-8 loses its bytes in it.
    QString posixPath() const;
    // The path's exact bytes, as every system call on the item takes them.
    const QByteArray &nativePath() const;

    // The folder's entries, sorted by name ignoring case (names that are not UTF-8 as UTF-8 with
    // replacement marks), then by bytes; AppleDouble sidecars (files "._X" beside "X") left out. Read once
    // per FolderItem (copies share the listing), in steps that yield: inside a thread, a wide folder keeps
    // the window responsive. Item numbers from 1.
    int Count() const;
    FolderItem Item(int index) const; // Nil outside 1..Count

    // Classic Mac metadata: a folder is "fold"/"MACS"; a file's type and creator come from its
    // FinderInfo (see finderinfo.h); without FinderInfo both are empty.
    String MacType() const;
    String MacCreator() const;
    bool Visible() const; // False when the FinderInfo has the invisible flag

    // The first bytes, at most `limit`, of the file at a relative path inside this folder ("Contents/
    // PkgInfo"): one open, reads until the file's end or the limit, one close. No link is followed on the
    // way, this item included: a link is never entered. Nothing when the file cannot be opened or read,
    // errno then says why (ENOENT: a name on the way is missing).
    std::optional<QByteArray> ReadFileInside(const QByteArray &relativePath, qint64 limit) const;

    // Streams; nullptr when the item cannot be opened (missing, a folder, no permission).
    std::unique_ptr<TextInputStream> OpenAsTextFile() const;
    std::unique_ptr<BinaryStream> OpenAsBinaryFile(bool readWrite = false) const;

    // Opens the item with the desktop's default application.
    void Launch(bool activate = true) const;
    // The item's file: URL, which keeps the path's bytes (percent-encoded).
    QUrl url() const;

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

    // What one look at the item itself (a link not followed) tells, for a list row that shows its
    // kind and its date: read once, not kept up to date.
    struct Status
    {
        unsigned type = 0;          // the file-type bits of its mode (S_IFMT), 0 when it does not exist
        Date modified{QDateTime()}; // not valid when it does not exist
    };
    Status ReadStatus() const;

    friend bool operator==(const FolderItem &a, const FolderItem &b);

private:
    struct Listing;
    struct Node;
    struct OpenFolder;
    struct Place;
    // What the folder's listing told of an entry it gave.
    enum class Listed : unsigned char { No, Folder, Link, Other, Unknown };
    Listing readEntries() const;
    void requireItem() const;
    Listing &listing() const; // read on first use
    Place place() const;
    std::shared_ptr<Node> m_node;
    // The folder whose listing gave the item, while it is open: the item is then reached by its name.
    std::weak_ptr<OpenFolder> m_folder;
    Listed m_listed = Listed::No;
    bool m_sidecarListed = false;
};

// A text's bytes as a path or a name on this system: UTF-8 and unlabelled bytes as they are (so that
// what Name and AbsolutePath gave reaches the same item), text of any other encoding as UTF-8.
QByteArray nativeBytes(const String &text);

// The item at a path. Mode 0: an absolute path, POSIX or colon-separated ("Volume:folder:file");
// the empty path gives the default folder (the current working directory). Nil for a text that is
// no path this platform accepts.
FolderItem GetFolderItem(const String &path, int pathMode = 0);

// A path's bytes as the list shows names: each name UTF-8 when it is, else Mac Japanese.
String DisplayPath(const QByteArray &path);

} // namespace fw
