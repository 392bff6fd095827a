#pragma once

#include <QByteArray>

#include <optional>

namespace fw {

// The outcome of a move to the freedesktop.org Trash.
enum class TrashOutcome {
    Moved,   // in the Trash, whose info file names where it came from
    Refused, // the move did not happen; the item is where it was
    PutBack, // the Trash could not record where it came from, so it was moved back
    Stranded // moved, but neither recorded by the Trash nor moved back
};

// A move's outcome and, for an item moved or stranded, where it lies now: its entry in the Trash's
// files folder, or that folder itself for a stranded item whose entry was not found.
struct TrashResult
{
    TrashOutcome outcome;
    QByteArray liesAt;
};

// Moves the item at the path (its exact bytes) to the Trash of its volume. A move counts only when
// the Trash can give the item back: an info file that does not name the original path (a full disk
// leaves it empty) is removed and the item renamed back to its place. When the Trash holds entries of
// the item's name already, the move is made beside the window's thread, and a cooperative thread that
// calls this yields until it is done.
TrashResult MoveToTrash(const QByteArray &path);

// The original path that the bytes of a Trash info file name, when they name one and a deletion date
// as the Trash needs them to give the item back. A relative path starts from top, the volume whose
// Trash holds the file; without a top only an absolute path counts.
std::optional<QByteArray> TrashInfoOriginalPath(const QByteArray &content, const QByteArray &top = {});

// Tests: faults that every move meets while set. EmptyInfo leaves the info file empty, as GLib does
// when the disk is full; PlaceTaken does that and puts a file where the item was, so it cannot go back.
enum class TrashFault { None, EmptyInfo, PlaceTaken };
void SetTrashFault(TrashFault fault);

} // namespace fw
