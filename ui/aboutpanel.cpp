#include "ui/aboutpanel.h"

#include "framework/statictext.h"

#include <array>
#include <memory>

namespace {

// The maker's credits, shown in the lower half of the panel.
const char *const Credits = "企画・プログラム　Velloran Software 開発部\n"
                            "デザイン　Velloran Software デザイン室\n"
                            "テスト・サポート　Velloran Software サポート窓口\n"
                            "\n"
                            "Copyright © Velloran Software. All rights reserved.";

struct TextAttributes
{
    const char *name;
    int left, top, width, height;
    int textSize;
    bool italic;
    bool multiline;
    bool enabled;
    QColor color;
    const char *text;
};

} // namespace

AboutPanel::AboutPanel()
{
    Layout();
    CreateControls();
    AddMenuHandlers();
}

void AboutPanel::Layout()
{
    fw::WindowAttributes attributes;
    attributes.Width = 420;
    attributes.Height = 260;
    attributes.MinWidth = 64;
    attributes.MinHeight = 64;
    attributes.MaxWidth = 32000;
    attributes.MaxHeight = 32000;
    attributes.Frame = FrameModalDialog;
    attributes.HasBackColor = false;
    attributes.BackColor = QColor(255, 255, 255);
    attributes.Title = "名称未設定";
    attributes.Visible = true;
    attributes.CloseButton = true;
    attributes.Resizeable = true;
    attributes.MaximizeButton = true;
    attributes.MinimizeButton = true;
    applyAttributes(attributes);
}

void AboutPanel::CreateControls()
{
    _CreateControls0();
}

void AboutPanel::_CreateControls0()
{
    const std::array<TextAttributes, 4> texts = {{
        {"StaticText2", 40, 142, 340, 110, 10, false, true, true, QColor(51, 0, 0), Credits},
        {"StaticText1", 160, 102, 100, 15, 12, false, true, true, QColor(0, 51, 102), "Ver. 1.0.0"},
        {"StaticText3", 20, 25, 380, 50, 32, true, false, true, QColor(0, 0, 255), "StaticText3"},
        {"StaticText4", 140, 65, 140, 20, 10, true, false, false, QColor(0, 51, 102),
         "Universal Application"},
    }};
    for (const TextAttributes &attributes : texts) {
        auto made = std::make_unique<fw::StaticText>();
        made->setName(attributes.name);
        addControl(std::move(made));
        auto &text = control<fw::StaticText>(attributes.name);
        text.setBounds(attributes.left, attributes.top, attributes.width, attributes.height);
        text.setLocks(false, false, false, false);
        text.setTextFont("System");
        text.setTextSize(attributes.textSize);
        text.setItalic(attributes.italic);
        text.setBold(false);
        text.setUnderline(false);
        text.setMultiline(attributes.multiline);
        text.setTextAlign(fw::StaticText::AlignCenter);
        text.setTextColor(attributes.color);
        text.setEnabled(attributes.enabled);
        text.setVisible(true);
        text.setText(attributes.text);
    }
    m_staticText1 = &control<fw::StaticText>("StaticText1");
    m_staticText2 = &control<fw::StaticText>("StaticText2");
    m_staticText3 = &control<fw::StaticText>("StaticText3");
    m_staticText4 = &control<fw::StaticText>("StaticText4");
}

void AboutPanel::AddMenuHandlers()
{
    // None: the panel has no menu bar of its own.
}

void AboutPanel::Event_Open()
{
    StaticText3().setText("Velloran アンインストーラ");
}

bool AboutPanel::Event_MouseDown(int /*x*/, int /*y*/)
{
    Hide();
    return false;
}
