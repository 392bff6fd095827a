#pragma once

#include "framework/dictionary.h"
#include "framework/window.h"

#include <cstdint>
#include <vector>

// The main window: the toolbar, the six-column list of found pieces, the progress wheel and the
// status text along the bottom, and the state that the window shares with the worker threads.
class Window1 : public fw::Window
{
public:
    // The main window, made and opened on the first call.
    static Window1 *instance();
    // Deletes the main window (at teardown, once no thread can touch it any more).
    static void release();

    Window1();

    // Stop request for the collection thread.
    bool pStopThread2 = false;
    // The found-item registry: {"item": FolderItem, "kind": kind code} per piece found.
    std::vector<fw::Dictionary> pFI;
    // Stop request for the trash thread.
    bool pStopThread1 = false;
    // 1 from the start of a collection, 0 after the list is cleared.
    int32_t pCountGet = 0;
    // Searches since the last collection or clearing.
    int32_t pCountFind = 0;

protected:
    void Event_Open() override;

private:
    void Layout();
    void CreateControls();
    void _CreateControls0();
    void Toolbar11_Open();
    void InitApp();
};
