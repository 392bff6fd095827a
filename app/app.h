#pragma once

#include "framework/application.h"

// The application object: loads the catalogue and sets the menu captions when it opens, and
// answers the About, Read Me and Manual menu items.
class App : public fw::Application
{
public:
    // The registered application object.
    static App *instance();

    bool _AppleAbout_Action();
    bool _HelpManual_Action();
    bool _HelpReadMe_Action();

    void InitApp();
    void ShowAboutPanel();
    void InitCaption();
    bool LoadFile();
    void InitDictionary();
    void LaunchReadme();
    void LaunchManual();

protected:
    void Event_Open() override;
};
