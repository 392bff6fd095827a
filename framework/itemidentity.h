#pragma once

#include "framework/string.h"

#include <QByteArray>

#include <cstdint>
#include <optional>

namespace fw {

// What an item on disk is, as far as a later look can tell it apart from anything put in its place:
// its device, its inode and its kind. A link is a kind of its own, never what it points to.
struct ItemIdentity
{
    enum class Kind : char { File = 'f', Folder = 'd', Link = 'l' };

    uint64_t device = 0;
    uint64_t inode = 0;
    Kind kind = Kind::File;

    friend bool operator==(const ItemIdentity &, const ItemIdentity &) = default;

    // "device:inode:kind", as a script parameter carries it; fromText gives nullopt for anything else.
    String toText() const;
    static std::optional<ItemIdentity> fromText(const String &text);
};

// The item at an absolute path, reached from "/" one folder at a time without following a link on the
// way: nullopt when a folder on the way is a link or missing, when the item is gone, or when the path
// holds an empty, "." or ".." component.
std::optional<ItemIdentity> IdentityOf(const QByteArray &absolutePath);

// The path with the folder that holds the item resolved to where its links lead, so that the item can
// be reached later without passing a link (a home folder may itself lie behind one); the path as it
// stands when that folder cannot be resolved.
QByteArray WithRealFolder(const QByteArray &absolutePath);

} // namespace fw
