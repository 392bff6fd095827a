#include "framework/statictext.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>

namespace fw {

// A label that lets its text fit again whenever its size changes.
class StaticText::Label : public QLabel
{
public:
    explicit Label(StaticText *text) : m_text(text) {}

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QLabel::resizeEvent(event);
        m_text->showFont();
    }

private:
    StaticText *m_text;
};

StaticText::StaticText() : Control(new Label(this))
{
    label()->setTextFormat(Qt::PlainText);
    setTextAlign(AlignLeft);
    showFont();
}

QLabel *StaticText::label() const
{
    return static_cast<QLabel *>(widget());
}

void StaticText::setText(const String &text)
{
    m_text = text;
    label()->setText(text.toQString());
    showFont();
}

void StaticText::setTextColor(const QColor &color)
{
    // The disabled colour stays the palette's own, so that a disabled text shows dimmed.
    QPalette palette = label()->palette();
    palette.setColor(QPalette::Active, QPalette::WindowText, color);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, color);
    label()->setPalette(palette);
}

void StaticText::setTextFont(const String &font)
{
    m_textFont = font;
    showFont();
}

void StaticText::setTextSize(int size)
{
    m_textSize = size;
    showFont();
}

void StaticText::setBold(bool bold)
{
    m_bold = bold;
    showFont();
}

void StaticText::setItalic(bool italic)
{
    m_italic = italic;
    showFont();
}

void StaticText::setUnderline(bool underline)
{
    m_underline = underline;
    showFont();
}

void StaticText::setTextAlign(int align)
{
    const Qt::Alignment horizontal = align == AlignCenter  ? Qt::AlignHCenter
                                     : align == AlignRight ? Qt::AlignRight
                                                           : Qt::AlignLeft;
    label()->setAlignment(horizontal | Qt::AlignTop);
}

void StaticText::setMultiline(bool multiline)
{
    m_multiline = multiline;
    label()->setWordWrap(multiline);
}

void StaticText::showFont()
{
    QFont font = QApplication::font();
    const QString family = m_textFont.toQString();
    if (family != QLatin1String("System") && !family.isEmpty())
        font.setFamily(family);
    if (m_textSize > 0)
        font.setPixelSize(m_textSize);
    font.setBold(m_bold);
    font.setItalic(m_italic);
    font.setUnderline(m_underline);
    // A single line wider than the control is drawn smaller, so that it shows whole.
    const int width = QFontMetrics(font).horizontalAdvance(label()->text()) + font.pixelSize() / 4;
    if (!m_multiline && font.pixelSize() > 0 && width > label()->width() && label()->width() > 0)
        font.setPixelSize(qMax(1, font.pixelSize() * label()->width() / width));
    label()->setFont(font);
}

} // namespace fw
