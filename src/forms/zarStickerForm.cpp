#include "zarStickerForm.h"

namespace zarvo {

// Placeholder until the sticker is written.
TStickerForm::TStickerForm(Settings& settings, SettingsStore& store, QWidget* parent)
    : QWidget(parent), m_settings(settings), m_store(store)
{
}
TStickerForm::~TStickerForm() = default;
void TStickerForm::applyText() {}
QFont TStickerForm::textFont() const { return font(); }
QColor TStickerForm::backgroundColor() const { return palette().color(QPalette::Window); }

} // namespace zarvo
