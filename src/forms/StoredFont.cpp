#include "StoredFont.h"

#include "CommonDialogs.h"

#include <QFontInfo>

namespace zarvo {

StoredFont StoredFont::clock(Settings& s)
{
    return {s.ClockFName, s.ClockFSize, s.ClockFColor, s.ClockFB, s.ClockFI, s.ClockFU, s.ClockFS};
}

StoredFont StoredFont::sticker(Settings& s)
{
    return {s.StickerFName, s.StickerFSize, s.StickerFColor, s.StickerFB,
            s.StickerFI,    s.StickerFU,    s.StickerFS};
}

int StoredFont::displaySize() const
{
    if (m_size <= 0) return DefaultSize;
    return qMin(m_size, MaxSize);
}

QFont StoredFont::font() const
{
    QFont f(m_name);
    f.setPointSize(displaySize());
    f.setBold(m_bold);
    f.setItalic(m_italic);
    f.setUnderline(m_underline);
    f.setStrikeOut(m_strikeOut);
    return f;
}

QFont StoredFont::shown(const QFont& chosen) const
{
    QFont f = chosen;
    f.setPointSize(displaySize());
    return f;
}

QColor StoredFont::color() const
{
    return colorFromStored(m_color);
}

void StoredFont::store(const QFont& font, const QColor& color)
{
    // The family is the window's to take when its settings are saved (from the font it shows).
    m_size = font.pointSize() > 0 ? font.pointSize() : QFontInfo(font).pointSize();
    m_color = colorToStored(color);
    m_bold = font.bold();
    m_italic = font.italic();
    m_underline = font.underline();
    m_strikeOut = font.strikeOut();
}

} // namespace zarvo
