#pragma once

#include "core/Settings.h"

#include <QColor>
#include <QFont>

namespace zarvo {

// A window's font as the settings keep it: family, point size, colour and the four styles. The
// clock keeps its own ("ClockF..."), the sticker its own ("StickerF..."); both go through this.
class StoredFont
{
public:
    static StoredFont clock(Settings& s);
    static StoredFont sticker(Settings& s);

    // The size to show. The stored one may be anything a hand-edited file holds; the window must
    // stay one the display can hold, so sizes outside 1 to 500 show as the default or the largest.
    int displaySize() const;
    QFont font() const;
    // The font the dialog chose as the window shows it, once stored: at the stored size.
    QFont shown(const QFont& chosen) const;
    QColor color() const;
    // What the font dialog chose, but the family (each window takes that from the font it shows
    // when its settings are saved). A font given in pixels is stored as the points it stands for.
    void store(const QFont& font, const QColor& color);

    static constexpr int DefaultSize = 14;
    static constexpr int MaxSize = 500;

private:
    StoredFont(QString& name, int& size, int& color, bool& bold, bool& italic, bool& underline,
               bool& strikeOut)
        : m_name(name), m_size(size), m_color(color), m_bold(bold), m_italic(italic), m_underline(underline),
          m_strikeOut(strikeOut)
    {
    }

    QString& m_name;
    int& m_size;
    int& m_color;
    bool& m_bold;
    bool& m_italic;
    bool& m_underline;
    bool& m_strikeOut;
};

} // namespace zarvo
