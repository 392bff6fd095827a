#pragma once

#include "framework/folderitem.h"
#include "framework/string.h"

class QWidget;

namespace fw {

// A modal chooser of one folder.
class SelectFolderDialog
{
public:
    String PromptText;
    FolderItem InitialDirectory; // Nil: the chooser's own start

    // The chosen folder, or Nil when the user cancels.
    FolderItem ShowModalWithin(QWidget *parent) const;
};

// Asks for a folder; Nil on cancel.
FolderItem SelectFolder();
// Asks for a file; Nil on cancel. The filter names a set of file types; the system defines none of
// its own, so every file is offered.
FolderItem GetOpenFolderItem(const String &filter);

} // namespace fw
