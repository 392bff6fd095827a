#include "app/app.h"

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
