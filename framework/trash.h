#pragma once

#include <QByteArray>

namespace fw {

// The outcome of a move to the freedesktop.org Trash.
enum class TrashOutcome {
    Moved,   // in the Trash, whose info file names where it came from
    Refused, // the move did not happen; the item is where it was
    PutBack, // the Trash could not record where it came from, so it was moved back
    Stranded // moved, but neither recorded by the Trash nor moved back
};

// Moves the item at the path (its exact bytes) to the Trash of its volume. A move counts only when
// the Trash can give the item back: an info file that does not name the original path (a full disk
// leaves it empty) is removed and the item renamed back to its place.
TrashOutcome MoveToTrash(const QByteArray &path);

// Tests: while set, every move leaves its info file empty, as GLib does when the disk is full.
void SetEmptyTrashInfoFault(bool on);

} // namespace fw
