#pragma once

#include "core/Settings.h"
#include "core/SettingsStore.h"

#include <QWidget>

class QLabel;

namespace zarvo {

// The sticker note: a borderless window showing a piece of text in its own font and colour.
class TStickerForm : public QWidget
{
    Q_OBJECT
public:
    // Takes text, font, size, position and colour from settings; shown when ShowSticker is set.
    TStickerForm(Settings& settings, SettingsStore& store, QWidget* parent = nullptr);
    // Runs SaveStickerSettings (the font name taken from the text's current font).
    ~TStickerForm() override;

    // After the Properties dialog's OK: the text becomes StickerText and the window fits it.
    void applyText();
    QFont textFont() const;
    QColor backgroundColor() const;

Q_SIGNALS:
    // "&Hide" or the window was closed: the tray item offers "Show stick&er" again.
    void hiddenByUser();
    // The font or the colour changed from the sticker's own menu.
    void styleChanged();

private:
    Settings& m_settings;
    SettingsStore& m_store;
    QLabel* m_label = nullptr;
};

} // namespace zarvo
