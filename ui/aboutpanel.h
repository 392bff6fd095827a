#pragma once

#include "framework/window.h"

namespace fw {
class StaticText;
} // namespace fw

// The About panel: the product's name, "Universal Application", the version and the credits. A new
// one is made each time; a click anywhere on it dismisses it.
class AboutPanel : public fw::Window
{
public:
    AboutPanel();

    // The panel's texts, made with it: the version, the credits, the name and "Universal Application".
    fw::StaticText &StaticText1() const { return *m_staticText1; }
    fw::StaticText &StaticText2() const { return *m_staticText2; }
    fw::StaticText &StaticText3() const { return *m_staticText3; }
    fw::StaticText &StaticText4() const { return *m_staticText4; }

protected:
    void Event_Open() override;
    bool Event_MouseDown(int x, int y) override;

private:
    void Layout();
    void CreateControls();
    void _CreateControls0();
    void AddMenuHandlers();

    fw::StaticText *m_staticText1 = nullptr;
    fw::StaticText *m_staticText2 = nullptr;
    fw::StaticText *m_staticText3 = nullptr;
    fw::StaticText *m_staticText4 = nullptr;
};
