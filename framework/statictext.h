#pragma once

#include "framework/control.h"
#include "framework/string.h"

#include <QColor>

class QLabel;

namespace fw {

// A text label. The font "System" is the desktop's font; sizes are in pixels, as the designs give them.
class StaticText : public Control
{
public:
    static constexpr int AlignLeft = 0;
    static constexpr int AlignCenter = 1;
    static constexpr int AlignRight = 2;

    StaticText();

    const String &Text() const { return m_text; }
    void setText(const String &text);
    void setTextColor(const QColor &color);
    void setTextFont(const String &font);
    int TextSize() const { return m_textSize; }
    void setTextSize(int size);
    void setBold(bool bold);
    void setItalic(bool italic);
    void setUnderline(bool underline);
    void setTextAlign(int align);
    // A multiline text wraps at the control's width; a single line too wide for the control is drawn
    // in a smaller size.
    void setMultiline(bool multiline);

    QLabel *label() const;

private:
    class Label;
    void showFont();

    String m_text;
    String m_textFont = "System";
    int m_textSize = 12;
    bool m_bold = false;
    bool m_italic = false;
    bool m_underline = false;
    bool m_multiline = false;
};

} // namespace fw
