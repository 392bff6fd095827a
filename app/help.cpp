#include "app/app.h"

namespace {

// The help document of that name: in the Resources folder beside the executable's folder, else in
// the default folder, else Nil.
fw::FolderItem helpDocument(const fw::FolderItem &executable, const fw::String &fileName)
{
    fw::FolderItem document = executable.Parent().Parent().Child("Resources").Child(fileName);
    if (document.isNil() || !document.Exists())
        document = fw::GetFolderItem("").Child(fileName);
    if (document.isNil() || !document.Exists())
        return {};
    return document;
}

void launchHelp(const fw::FolderItem &executable, const fw::String &fileName)
{
    const fw::FolderItem document = helpDocument(executable, fileName);
    if (!document.isNil())
        document.Launch(true);
}

} // namespace

void App::LaunchReadme()
{
    launchHelp(ExecutableFile(), "readme.rtf");
}

void App::LaunchManual()
{
    launchHelp(ExecutableFile(), "manual.rtf");
}
