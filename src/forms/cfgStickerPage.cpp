#include "cfgStickerPage.h"

#include "core/TextLimits.h"

#include "EditorWidgets.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace zarvo {

CfgStickerPage::CfgStickerPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("cfgStickerSheet"));
    auto* page = new QVBoxLayout(this);
    page->addWidget(makeHeading(QStringLiteral("Sticker note"), this));
    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("cfgStickerMemo"));
    m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab moves on to the next control, as in every other edit of the dialog.
    m_memo->setTabChangesFocus(true);
    page->addWidget(m_memo, 1);
    m_showOnStartup = new QCheckBox(QStringLiteral("&Show sticker on startup"), this);
    m_showOnStartup->setObjectName(QStringLiteral("cfgShowStickerCheckBox"));
    page->addWidget(m_showOnStartup);
}

void CfgStickerPage::setStickerFont(const QFont& font)
{
    m_memo->setFont(font);
}

void CfgStickerPage::setRole(QPalette::ColorRole role, const QColor& color)
{
    if (!color.isValid()) return;
    QPalette pal = m_memo->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        pal.setColor(group, role, color);
    m_memo->setPalette(pal);
}

void CfgStickerPage::setStickerFontColor(const QColor& color)
{
    setRole(QPalette::Text, color);
}

void CfgStickerPage::setStickerColor(const QColor& color)
{
    setRole(QPalette::Base, color);
}

void CfgStickerPage::fill(const Settings& s)
{
    m_memo->clear();
    m_memo->setPlainText(s.StickerText);
    m_showOnStartup->setChecked(s.ShowSticker);
}

void CfgStickerPage::applyTo(Settings& s) const
{
    // The note holds as much as its setting does; more would be cut at the next start anyway.
    s.StickerText = cutText(m_memo->toPlainText(), StickerTextLength);
    s.ShowSticker = m_showOnStartup->isChecked();
}

} // namespace zarvo
