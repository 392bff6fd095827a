#pragma once

#include "framework/folderitem.h"
#include "framework/itemidentity.h"
#include "framework/scripts.h"
#include "framework/thread.h"

#include <QByteArray>
#include <QHash>
#include <QSet>

#include <cstdint>
#include <optional>
#include <vector>

class Window1;

// The trash thread: moves the pieces of the ticked child rows to the Trash, one row after the other.
// One object per run.
class Thread1 : public fw::Thread
{
public:
    Window1 *pWin1 = nullptr;

protected:
    void Event_Run() override;

private:
    void DeleteItem();
    [[noreturn]] void KillMyself();
    void reportFailures();
    void movePiece(const fw::FolderItem &f, const fw::String &kind,
                   const std::optional<fw::ItemIdentity> &found);
    bool wentEarlier(const fw::FolderItem &f) const;
    bool keptByARow(int32_t index);

    // What happened to a piece that did not move.
    enum class Fate { Stayed, Gone, Stranded };
    // A piece that did not move; the note is why it stayed, or where a stranded one lies, worded for
    // the user.
    struct Unmoved
    {
        QByteArray path;
        Fate fate;
        fw::String note;
    };
    static Unmoved whatHappened(const fw::ScriptFailure &failure);

    // What did not move, in the order the walk met it; the paths of the pieces that did.
    std::vector<Unmoved> m_failures;
    std::vector<QByteArray> m_moved;
    // The registry indexes of the pieces tried so far: each is tried, and reported, once.
    QSet<int32_t> m_tried;
    // The rows of each piece, by registry index, as the list stood at the revision noted.
    QHash<int32_t, std::vector<int>> m_rowsOfPiece;
    std::optional<uint64_t> m_rowsRevision;
};
