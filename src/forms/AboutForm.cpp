#include "AboutForm.h"

#include <QDesktopServices>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

namespace zarvo {

namespace {

QString osInfoLine(const SystemInfo& info)
{
    if (info.osName.isEmpty()) return QStringLiteral("OS: unknown");
    return QStringLiteral("OS: %1 %2.%3 (Build %4)")
        .arg(info.osName)
        .arg(info.osMajor)
        .arg(info.osMinor)
        .arg(info.osBuild);
}

QLabel* placedLabel(QWidget* parent, const QString& name, const QString& text, int x, int y)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->move(x, y);
    label->adjustSize();
    return label;
}

// A picture at the widget's scale: the "@2x" file on a screen scaled by 2 or more.
QPixmap picture(const QString& path, QSize size, const QWidget* widget)
{
    return QIcon(path).pixmap(size, widget->devicePixelRatioF());
}

QFont pixelFont(const QFont& base, int pixels)
{
    QFont f = base;
    f.setPixelSize(pixels);
    return f;
}

} // namespace

TAboutForm::TAboutForm(QWidget* parent) : TAboutForm(querySystemInfo(), parent) {}

TAboutForm::TAboutForm(const SystemInfo& info, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("About"));
    setFont(pixelFont(font(), 10));
    setFixedSize(345, 237);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("AbPanel"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setGeometry(8, 8, 71, 199);
    auto* side = new QLabel(panel);
    side->setObjectName(QStringLiteral("AbImage"));
    side->setGeometry(1, 1, 69, 197);
    side->setAlignment(Qt::AlignCenter);
    side->setPixmap(picture(QStringLiteral(":/about/side.png"), QSize(69, 197), this));

    auto* title = new QLabel(this);
    title->setObjectName(QStringLiteral("TitleImage"));
    title->setGeometry(91, 8, 157, 50);
    title->setAlignment(Qt::AlignCenter);
    title->setPixmap(picture(QStringLiteral(":/about/title.png"), QSize(157, 50), this));

    // The second line is left empty on purpose: it separates the version from the slogan.
    QLabel* about = placedLabel(
        this, QStringLiteral("AboutLabel"),
        QStringLiteral("Version ") + version() + QStringLiteral("\n\nAlarms, reminders and chimes"), 91, 56);
    about->setFont(pixelFont(font(), 11));
    about->adjustSize();

    m_mailLabel = placedLabel(this, QStringLiteral("MailMeLabel"), contactAddress(), 91, 96);
    QFont linkFont = pixelFont(font(), 11);
    linkFont.setUnderline(true);
    m_mailLabel->setFont(linkFont);
    // The palette's own link colour: blue on a light desktop, a light one on a dark desktop.
    QPalette linkPalette = m_mailLabel->palette();
    linkPalette.setColor(QPalette::WindowText, linkPalette.color(QPalette::Link));
    m_mailLabel->setPalette(linkPalette);
    m_mailLabel->setCursor(Qt::PointingHandCursor);
    m_mailLabel->adjustSize();
    m_mailLabel->installEventFilter(this);

    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("AbBevel"));
    bevel->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    bevel->setGeometry(91, 144, 246, 2);

    placedLabel(this, QStringLiteral("OSInfoLabel"), osInfoLine(info), 91, 152);
    placedLabel(this, QStringLiteral("ProcInfoLabel"), QStringLiteral("CPU: %1").arg(info.processorType), 91,
                167);
    placedLabel(this, QStringLiteral("MemInfoLabel"),
                QStringLiteral("Memory: %1 K").arg(info.totalMemoryBytes / 1024), 91, 182);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("AboutOKButton"));
    ok->setGeometry(261, 205, 75, 25);
    ok->setDefault(true);
    ok->setFocus();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    if (const QScreen* s = screen())
        setGeometry(QRect(s->availableGeometry().center() - QPoint(width() / 2, height() / 2), size()));
}

QString TAboutForm::contactAddress()
{
    return QStringLiteral("zarvo@example.org");
}

bool TAboutForm::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_mailLabel && e->type() == QEvent::MouseButtonRelease) {
        const auto* me = static_cast<QMouseEvent*>(e);
        if (me->button() == Qt::LeftButton && m_mailLabel->rect().contains(me->position().toPoint()))
            MailMeLabelClick();
    }
    return QDialog::eventFilter(watched, e);
}

void TAboutForm::MailMeLabelClick()
{
    // Whether a mail program is there to take it is not this box's business.
    QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + contactAddress()));
}

} // namespace zarvo
