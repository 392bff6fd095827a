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
    QColor TextColor() const { return m_textColor; }
    void setTextColor(const QColor &color);
    const String &TextFont() const { return m_textFont; }
    void setTextFont(const String &font);
    int TextSize() const { return m_textSize; }
    void setTextSize(int size);
    bool Bold() const { return m_bold; }
    void setBold(bool bold);
    bool Italic() const { return m_italic; }
    void setItalic(bool italic);
    bool Underline() const { return m_underline; }
    void setUnderline(bool underline);
    int TextAlign() const { return m_textAlign; }
    void setTextAlign(int align);
    // A multiline text wraps at the control's width; a single line too wide for the control is drawn
    // in a smaller size.
    bool Multiline() const { return m_multiline; }
    void setMultiline(bool multiline);

    QLabel *label() const;

private:
    class Label;
    void showFont();

    String m_text;
    QColor m_textColor = Qt::black;
    String m_textFont = "System";
    int m_textSize = 12;
    bool m_bold = false;
    bool m_italic = false;
    bool m_underline = false;
    int m_textAlign = AlignLeft;
    bool m_multiline = false;
};

} // namespace fw
