#pragma once

#include "core/Settings.h"
#include "core/SettingsStore.h"

#include <QPoint>
#include <QWidget>

class QLabel;
class QMenu;

namespace zarvo {

// The sticker note: a borderless window showing a piece of text in its own font and colour.
// It keeps references to the settings and their store, which must outlive it (the destructor
// saves through them).
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
    // On the first start, when no place is stored: the note's own place on the primary screen,
    // recorded as its position.
    void placeFirst();
    QFont textFont() const;
    QColor textColor() const;
    QColor backgroundColor() const;

    QLabel* StickerLabel() const { return m_label; }
    QMenu* StickerPopupMenu() const { return m_menu; }

Q_SIGNALS:
    // "&Hide" or the window was closed: the tray item offers "Show stick&er" again.
    void hiddenByUser();
    // The font or the colour changed from the sticker's own menu.
    void styleChanged();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void StHideItemClick();
    void StFontItemClick();
    void StColorItemClick();
    void setTextColor(const QColor& color);
    void setBackground(const QColor& color);
    void fitToText();

    Settings& m_settings;
    SettingsStore& m_store;
    QLabel* m_label = nullptr;
    QMenu* m_menu = nullptr;
    QPoint m_drag; // DragX, DragY
};

} // namespace zarvo
