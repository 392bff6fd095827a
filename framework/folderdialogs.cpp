#include "framework/folderdialogs.h"

#include <QApplication>
#include <QFileDialog>

namespace fw {

namespace {

// Qt's own dialog rather than the desktop's, so that it behaves alike everywhere and can be answered
// by tests.
FolderItem runChooser(QFileDialog &dialog)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return FolderItem::fromPath(dialog.selectedFiles().constFirst());
}

} // namespace

FolderItem SelectFolderDialog::ShowModalWithin(QWidget *parent) const
{
    QFileDialog dialog(parent, PromptText.toQString());
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (!InitialDirectory.isNil())
        dialog.setDirectory(InitialDirectory.posixPath());
    return runChooser(dialog);
}

FolderItem SelectFolder()
{
    return SelectFolderDialog().ShowModalWithin(QApplication::activeWindow());
}

FolderItem GetOpenFolderItem(const String & /*filter*/)
{
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setFileMode(QFileDialog::ExistingFile);
    return runChooser(dialog);
}

} // namespace fw
