#include "app/app.h"

#include "catalogue/catalogue.h"
#include "framework/statictext.h"
#include "framework/string.h"
#include "ui/aboutpanel.h"
#include "ui/menubar1.h"

App *App::instance()
{
    return static_cast<App *>(fw::GetAppObject());
}

void App::Event_Open()
{
    InitApp();
}

void App::InitApp()
{
    if (!LoadFile())
        InitDictionary();
    InitCaption();
}

bool App::_AppleAbout_Action()
{
    ShowAboutPanel();
    return true;
}

bool App::_HelpManual_Action()
{
    LaunchManual();
    return true;
}

bool App::_HelpReadMe_Action()
{
    LaunchReadme();
    return true;
}

void App::ShowAboutPanel()
{
    AboutPanel panel;
    panel.open();
    panel.StaticText1().setText("Ver. 1.0b1");
    panel.ShowModal();
    panel.Close();
}

void App::InitCaption()
{
    const auto caption = [](const char *text) {
        return fw::ConvertEncoding(text, fw::Encodings::ShiftJIS());
    };
    AppleAbout().setText(caption("Velloran アンインストーラについて..."));
    FileMenu().setText(caption("ファイル"));
    EditMenu().setText(caption("編集"));
    EditUndo().setText(caption("取り消す"));
    EditCut().setText(caption("カット"));
    EditCopy().setText(caption("コピー"));
    EditPaste().setText(caption("ペースト"));
    EditClear().setText(caption("削除"));
    EditSelectAll().setText(caption("すべてを選択"));
    HelpReadMe().setText(caption("お読み下さい"));
    HelpManual().setText(caption("簡易マニュアル"));
}

bool App::LoadFile()
{
    const fw::FolderItem file = Catalogue::locateFile(ExecutableFile());
    if (file.isNil()) {
        fw::MsgBox("not found.");
        return false;
    }
    Catalogue::readFile(file);
    return true;
}

void App::InitDictionary()
{
    Catalogue::addBuiltinRows();
}
