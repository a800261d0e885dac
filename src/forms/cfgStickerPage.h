#pragma once

#include "core/Settings.h"

#include <QWidget>

class QCheckBox;
class QPlainTextEdit;

namespace zarvo {

// The "Sticker" page: the note's text, shown in the note's own font and colours so that it
// previews the note, and whether the note shows at start-up.
class CfgStickerPage : public QWidget
{
    Q_OBJECT
public:
    explicit CfgStickerPage(QWidget* parent = nullptr);

    void setStickerFont(const QFont& font);
    void setStickerFontColor(const QColor& color);
    void setStickerColor(const QColor& color);

    void fill(const Settings& s);
    void applyTo(Settings& s) const;

private:
    void setRole(QPalette::ColorRole role, const QColor& color);

    QPlainTextEdit* m_memo = nullptr;
    QCheckBox* m_showOnStartup = nullptr;
};

} // namespace zarvo
