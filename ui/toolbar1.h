#pragma once

#include "framework/picture.h"
#include "framework/toolbar.h"

// The main window's toolbar: nine items, left to right collect, Move to Trash, a space, search,
// Show in Finder, a space, Stop, a space, Clear List.
class Toolbar1 : public fw::Toolbar
{
public:
    Toolbar1();

    fw::ToolButton *ToolItem1;
    fw::ToolButton *ToolItem4;
    fw::ToolButton *ToolItem2;
    fw::ToolButton *ToolItem6;
    fw::ToolButton *ToolItem8;
    fw::ToolButton *ToolItem3;
    fw::ToolButton *ToolItem5;
    fw::ToolButton *ToolItem7;
    fw::ToolButton *ToolItem9;
};

// The toolbar's pictures, read from the application's resources on first use and kept until
// ReleaseToolbarPictures. A missing resource gives Nil and is tried again at the next call.
fw::PicturePtr disk_mask();
fw::PicturePtr disk();
fw::PicturePtr findItem();
fw::PicturePtr findItem_Mask();
// "delete" is a C++ keyword, so the Move to Trash icon's accessor carries a trailing underscore.
fw::PicturePtr delete_();
fw::PicturePtr delete_Mask();
fw::PicturePtr stop();
fw::PicturePtr stop_Mask();
fw::PicturePtr showFinder();
fw::PicturePtr showFinder_Mask();
fw::PicturePtr clear();
fw::PicturePtr clear_Mask();

// Releases the twelve cached pictures (at teardown).
void ReleaseToolbarPictures();
