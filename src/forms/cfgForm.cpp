#include "cfgForm.h"

#include "HelpViewer.h"
#include "cfgConnectPage.h"
#include "cfgEventsPage.h"
#include "cfgParamPage.h"
#include "cfgStickerPage.h"
#include "platform/Autostart.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace zarvo {

namespace {

// Help contexts of the pages, in the order of the tabs.
constexpr int kHelpContext[] = {12, 17, 40, 14};

QPushButton* dialogButton(const QString& text, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

TcfgForm::TcfgForm(const Settings& settings, const CfgServices& services, const StickerLook& sticker,
                   QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_showHelp(services.showHelp), m_autostart(services.autostart)
{
    setObjectName(QStringLiteral("cfgForm"));
    setWindowTitle(QStringLiteral("Properties"));
    setModal(true);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("cfgPageControl"));
    m_pages->tabBar()->setAttribute(Qt::WA_Hover); // hot-tracking tabs
    m_events = new CfgEventsPage(services.table, services.sound, services.clock, m_pages);
    m_params = new CfgParamPage(services.sound, services.speakTime, m_pages);
    m_sticker = new CfgStickerPage(m_pages);
    m_connect = new CfgConnectPage(m_pages);
    QStyle* st = style();
    m_pages->addTab(m_events, st->standardIcon(QStyle::SP_FileDialogDetailedView), QStringLiteral("Events"));
    m_pages->addTab(m_params, st->standardIcon(QStyle::SP_MediaVolume), QStringLiteral("Parameters"));
    m_pages->addTab(m_sticker, st->standardIcon(QStyle::SP_FileIcon), QStringLiteral("Sticker"));
    m_pages->addTab(m_connect, st->standardIcon(QStyle::SP_DriveNetIcon), QStringLiteral("Connection"));

    auto* ok = dialogButton(QStringLiteral("OK"), "cfgOkButton", this);
    ok->setDefault(true);
    auto* cancel = dialogButton(QStringLiteral("Cancel"), "cfgCancelButton", this);
    auto* help = dialogButton(QStringLiteral("Help"), "cfgHelpButton", this);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, &TcfgForm::cfgHelpButtonClick);
    // F1: the help of the page shown, as the Help button.
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            &TcfgForm::cfgHelpButtonClick);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    buttons->addStretch(1);
    auto* window = new QHBoxLayout(this);
    window->addWidget(m_pages, 1);
    window->addLayout(buttons);
    window->setSizeConstraint(QLayout::SetFixedSize);

    // The order of filling is the one the owner relies on: the sticker look, the settings, the
    // events, the sticker text.
    setStickerFont(sticker.font);
    setStickerFontColor(sticker.textColor);
    setStickerColor(sticker.background);
    m_params->fill(settings);
    m_connect->fill(settings);
    m_events->openPage();
    m_sticker->fill(settings);
    if (!m_autostart) {
        m_ownAutostart = std::make_unique<Autostart>();
        m_autostart = m_ownAutostart.get();
    }
    // The real state, read now: the user may have changed it elsewhere since the last time.
    m_startAtLoginWas = m_autostart->enabled();
    m_params->fillStartAtLogin(m_startAtLoginWas);
    m_pages->setCurrentIndex(EventsPage);

    adjustSize();
    if (const QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
}

TcfgForm::~TcfgForm() = default;

void TcfgForm::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    // The grid has its size only once the dialog is laid out for showing.
    if (!m_columnsFitted) {
        m_columnsFitted = true;
        m_events->grid()->fitEventColumn();
    }
}

void TcfgForm::done(int result)
{
    // Only a change is written: an unchanged box leaves the files as the user or the system keep them.
    if (result == Accepted && m_params->startAtLogin() != m_startAtLoginWas &&
        !m_autostart->setEnabled(m_params->startAtLogin()))
        qWarning("zarvo: cannot change %s", qPrintable(m_autostart->userEntryPath()));
    QDialog::done(result);
}

void TcfgForm::keyPressEvent(QKeyEvent* e)
{
    // No key is bound to Cancel: Escape would throw away every change made to the events.
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void TcfgForm::applyTo(Settings& settings) const
{
    m_sticker->applyTo(settings);
    m_connect->applyTo(settings);
    m_params->applyTo(settings);
}

void TcfgForm::setStickerFont(const QFont& font)
{
    m_sticker->setStickerFont(font);
}

void TcfgForm::setStickerFontColor(const QColor& color)
{
    m_sticker->setStickerFontColor(color);
}

void TcfgForm::setStickerColor(const QColor& color)
{
    m_sticker->setStickerColor(color);
}

int TcfgForm::helpContext() const
{
    const int page = m_pages->currentIndex();
    return page >= 0 && page < int(std::size(kHelpContext)) ? kHelpContext[page] : kHelpContext[0];
}

void TcfgForm::cfgHelpButtonClick()
{
    if (m_showHelp)
        m_showHelp(helpContext());
    else
        HelpViewer::showContext(helpContext(), this);
}

} // namespace zarvo
