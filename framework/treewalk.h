#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstddef>
#include <functional>

#include <sys/types.h>

namespace fw {

// An entry met by WalkTree, as one look at the entry itself (a link not followed) tells it.
struct TreeEntry
{
    const QByteArray &path; // absolute, its exact bytes
    QByteArrayView name;
    mode_t mode; // type and permission bits
    uid_t owner;
};

// What WalkTree's caller does after an entry.
enum class TreeStep {
    Enter, // a folder: look through it too
    Pass,  // go on with the next entry, without entering this one
    End,   // the caller has seen enough: the walk ends at once
};

// How far a walk saw.
enum class TreeWalkEnd {
    Whole,           // every entry of the tree was met
    EndedByCaller,   // the caller ended it
    Unreadable,      // a folder could not be listed, or an entry could not be looked at
    PastPathLimit,   // an entry's path is longer than any system call takes
    OtherFileSystem, // a mount point inside: another volume, or a folder mounted again within the tree
    TooLarge,        // more entries than the bound
};

// Meets every entry below the folder at `root` once (the folder itself is not an entry), following no
// link and without recursion, and entering the folders for which `visit` says so. A root that is no
// folder (a file, a link) has no entries; one folder is open at a time, however deep the tree. Every
// entry is a stop point of the current thread and a yield. At most `bound` entries are read, the listing of a
// wide folder included; past it the walk ends with TooLarge before the rest of that folder is read.
TreeWalkEnd WalkTree(const QByteArray &root, size_t bound,
                     const std::function<TreeStep(const TreeEntry &)> &visit);

} // namespace fw
