#pragma once

#include "framework/window.h"

// The About panel: the product's name, "Universal Application", the version and the credits. A new
// one is made each time; a click anywhere on it dismisses it.
class AboutPanel : public fw::Window
{
public:
    AboutPanel();

protected:
    void Event_Open() override;
    bool Event_MouseDown(int x, int y) override;

private:
    void Layout();
    void CreateControls();
    void _CreateControls0();
    void AddMenuHandlers();
};
