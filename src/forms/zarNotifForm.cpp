#include "forms/zarNotifForm.h"

#include <QEvent>
#include <QFontMetrics>
#include <QListWidget>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

namespace zarvo {

namespace {

constexpr int kItemHeight = 16;

} // namespace

TzarNotifForm::TzarNotifForm(QWidget* parent, const std::function<void(TzarNotifForm*)>& whenCreated)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("zarNotifForm"));
    setWindowTitle(QStringLiteral("Notifications"));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(13);
    setFont(font);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button));
    setPalette(pal);
    setAutoFillBackground(true);
    // Pixels, not scaled: the list was laid out for exactly this size.
    setFixedSize(442, 173);
    setSizeGripEnabled(false);

    m_list->setObjectName(QStringLiteral("zarList"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSortingEnabled(false);
    // Per-pixel scrolling makes the scroll range end exactly at the widest line's extent.
    m_list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);

    // Removing rows (the widest among them, perhaps) can only shrink the extent.
    connect(m_list->model(), &QAbstractItemModel::rowsRemoved, this, [this] {
        m_list->horizontalScrollBar()->setValue(0);
        recomputeExtent();
    });
    connect(m_list->model(), &QAbstractItemModel::modelReset, this, [this] {
        m_list->horizontalScrollBar()->setValue(0);
        recomputeExtent();
    });

    if (whenCreated) whenCreated(this);
}

TzarNotifForm::~TzarNotifForm()
{
    // The list's model is destroyed after this form and resets on the way out.
    m_list->model()->disconnect(this);
}

void TzarNotifForm::AddLine(const QString& text)
{
    const bool wasHidden = !isVisible();
    if (wasHidden) m_list->clear();
    auto* item = new QListWidgetItem(text);
    const int lineW = lineWidth(text);
    item->setSizeHint(QSize(lineW, kItemHeight));
    m_list->addItem(item);
    m_extent = qMax(m_extent, lineW);
    if (!wasHidden) return;
    if (!m_placed) {
        // The frame is not known before the first showing, so it is the client area that is
        // centred.
        if (const QScreen* s = screen())
            setGeometry(QRect(s->availableGeometry().center() - QPoint(width() / 2, height() / 2), size()));
        m_placed = true;
    } else {
        move(m_lastPos);
    }
    show();
    raise();
    activateWindow();
}

void TzarNotifForm::hideEvent(QHideEvent* e)
{
    m_lastPos = pos();
    QDialog::hideEvent(e);
}

bool TzarNotifForm::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_list && e->type() == QEvent::FontChange) recomputeExtent();
    return QDialog::eventFilter(watched, e);
}

int TzarNotifForm::lineWidth(const QString& text) const
{
    // The appended "x" is the right margin, so the end of the widest line is never flush
    // against the edge when scrolled fully right.
    return QFontMetrics(m_list->font()).horizontalAdvance(text + QLatin1Char('x'));
}

void TzarNotifForm::recomputeExtent()
{
    int extent = 0;
    for (int row = 0; row < m_list->count(); ++row) {
        QListWidgetItem* item = m_list->item(row);
        const int width = lineWidth(item->text());
        item->setSizeHint(QSize(width, kItemHeight));
        extent = qMax(extent, width);
    }
    m_extent = extent;
}

} // namespace zarvo
