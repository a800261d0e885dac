#include "zarStickerForm.h"

#include "CommonDialogs.h"
#include "StoredFont.h"
#include "WindowPlacement.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>

namespace zarvo {

TStickerForm::TStickerForm(Settings& settings, SettingsStore& store, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), m_settings(settings), m_store(store)
{
    setObjectName(QStringLiteral("StickerForm"));
    setWindowTitle(QStringLiteral("StickerForm"));
    setAutoFillBackground(true);
    // Moves without a button held record the position too.
    setMouseTracking(true);

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("StickerLabel"));
    // The note shows what was typed, markup and ampersands included.
    m_label->setTextFormat(Qt::PlainText);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label->setWordWrap(false);
    m_label->setAutoFillBackground(false);
    // The window handles the mouse for the text it is covered by.
    m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_label->move(0, 0);

    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("StickerPopupMenu"));
    QAction* hide = m_menu->addAction(QStringLiteral("&Hide"), this, &TStickerForm::StHideItemClick);
    hide->setObjectName(QStringLiteral("StHideItem"));
    m_menu->addSeparator()->setObjectName(QStringLiteral("StSep"));
    QAction* font = m_menu->addAction(QStringLiteral("&Font..."), this, &TStickerForm::StFontItemClick);
    font->setObjectName(QStringLiteral("StFontItem"));
    QAction* color = m_menu->addAction(QStringLiteral("&Color..."), this, &TStickerForm::StColorItemClick);
    color->setObjectName(QStringLiteral("StColorItem"));

    m_label->setText(m_settings.StickerText);
    const StoredFont stored = StoredFont::sticker(m_settings);
    m_label->setFont(stored.font());
    setTextColor(stored.color());
    fitToText();
    // A place off every screen (a monitor since removed) is not where the user can find the note;
    // the stored place is kept until the user moves it.
    move(placeOnScreen(QPoint(m_settings.StickerLeft, m_settings.StickerTop), size()));
    setBackground(colorFromStored(m_settings.StickerColor));
    if (m_settings.ShowSticker) show();
}

TStickerForm::~TStickerForm()
{
    m_settings.StickerFName = m_label->font().family();
    m_store.SaveStickerSettings(m_settings);
}

void TStickerForm::applyText()
{
    m_label->setText(m_settings.StickerText);
    fitToText();
}

void TStickerForm::placeFirst()
{
    move(firstPlace(FirstPlace::Sticker, size()));
    m_settings.StickerLeft = x();
    m_settings.StickerTop = y();
}

QFont TStickerForm::textFont() const
{
    return m_label->font();
}

QColor TStickerForm::textColor() const
{
    return m_label->palette().color(QPalette::WindowText);
}

QColor TStickerForm::backgroundColor() const
{
    return palette().color(QPalette::Window);
}

void TStickerForm::fitToText()
{
    // An empty label would shrink to nothing; the note keeps the room of one blank.
    const QSize size = m_label->text().isEmpty() ? QFontMetrics(m_label->font()).size(0, QStringLiteral(" "))
                                                 : m_label->sizeHint();
    m_label->resize(size);
    resize(size);
}

void TStickerForm::setTextColor(const QColor& color)
{
    QPalette p = m_label->palette();
    p.setColor(QPalette::WindowText, color);
    m_label->setPalette(p);
}

void TStickerForm::setBackground(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
}

void TStickerForm::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) m_drag = e->position().toPoint();
    QWidget::mousePressEvent(e);
}

void TStickerForm::mouseMoveEvent(QMouseEvent* e)
{
    if (e->buttons() & Qt::LeftButton) {
        // The position within the note is taken from the pointer's screen position and the place
        // the window was last moved to, so a window manager that has not yet carried out the last
        // move does not make the note drift or jump.
        const QPoint within = e->globalPosition().toPoint() - pos();
        QPoint to = pos();
        if (within.x() != m_drag.x()) to.rx() += within.x() - m_drag.x();
        if (within.y() != m_drag.y()) to.ry() += within.y() - m_drag.y();
        if (to != pos()) move(to);
    }
    m_settings.StickerLeft = x();
    m_settings.StickerTop = y();
    QWidget::mouseMoveEvent(e);
}

void TStickerForm::contextMenuEvent(QContextMenuEvent* e)
{
    m_menu->popup(e->globalPos());
}

void TStickerForm::closeEvent(QCloseEvent* e)
{
    e->accept();
    emit hiddenByUser();
}

void TStickerForm::StHideItemClick()
{
    hide();
    emit hiddenByUser();
}

void TStickerForm::StFontItemClick()
{
    const std::optional<FontChoice> chosen = CommonDialogs::chooseFont(this, {m_label->font(), textColor()});
    if (!chosen) return;
    StoredFont stored = StoredFont::sticker(m_settings);
    stored.store(chosen->font, chosen->color);
    m_label->setFont(stored.shown(chosen->font));
    setTextColor(chosen->color);
    fitToText();
    emit styleChanged();
}

void TStickerForm::StColorItemClick()
{
    const std::optional<QColor> chosen =
        CommonDialogs::chooseColor(this, colorFromStored(m_settings.StickerColor));
    if (!chosen) return;
    m_settings.StickerColor = colorToStored(*chosen);
    setBackground(*chosen);
    emit styleChanged();
}

} // namespace zarvo
