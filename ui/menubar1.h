#pragma once

#include "framework/menu.h"

// The program's one menu bar, File, Edit and Help, shared by the application and the main window.
class MenuBar1 : public fw::MenuBar
{
public:
    // The single menu bar, made and built on the first call.
    static MenuBar1 *instance();
    // Deletes it (at teardown).
    static void release();

private:
    MenuBar1();
    void Untitled0();
    void Untitled1();
    void Untitled2();
};

// The items whose captions the application sets at start, looked up by name in its menu bar.
fw::MenuItem &FileMenu();
fw::MenuItem &EditMenu();
fw::MenuItem &EditUndo();
fw::MenuItem &EditCut();
fw::MenuItem &EditCopy();
fw::MenuItem &EditPaste();
fw::MenuItem &EditClear();
fw::MenuItem &EditSelectAll();
fw::AppleMenuItem &AppleAbout();
fw::MenuItem &HelpReadMe();
fw::MenuItem &HelpManual();
