#include "zarWizForm.h"

#include "CommonDialogs.h"
#include "EditorWidgets.h"
#include "HelpViewer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace zarvo {

namespace {

QPushButton* button(const QString& text, const char* name, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

// The picture beside the pages: a plain clock face, drawn at the screen's scale so that it is
// sharp on a screen scaled by 2 as well.
QPixmap clockPicture(qreal scale)
{
    QPixmap pix(QSize(96, 260) * scale);
    pix.setDevicePixelRatio(scale);
    pix.fill(QColor(0, 64, 128));
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(48, 90);
    p.setPen(QPen(Qt::white, 3));
    p.setBrush(QColor(0, 96, 160));
    p.drawEllipse(centre, 36, 36);
    for (int h = 0; h < 12; ++h) {
        p.save();
        p.translate(centre);
        p.rotate(h * 30.0);
        p.drawLine(QPointF(0, -30), QPointF(0, -34));
        p.restore();
    }
    p.drawLine(centre, centre + QPointF(0, -24));
    p.drawLine(centre, centre + QPointF(16, 8));
    return pix;
}

} // namespace

TzarWizForm::TzarWizForm(const IClock& clock, QWidget* parent, std::function<void(int)> showHelp)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_showHelp(std::move(showHelp))
{
    setObjectName(QStringLiteral("zarWizForm"));
    setWindowTitle(QStringLiteral("Events Wizard"));
    setModal(true);

    auto* picPanel = new QFrame(this);
    picPanel->setObjectName(QStringLiteral("wizPicPanel"));
    picPanel->setFrameShape(QFrame::Box);
    picPanel->setLineWidth(1);
    QPalette framePal = picPanel->palette();
    framePal.setColor(QPalette::WindowText, Qt::black);
    picPanel->setPalette(framePal);
    auto* picLayout = new QVBoxLayout(picPanel);
    picLayout->setContentsMargins(1, 1, 1, 1);
    auto* image = new QLabel(picPanel);
    image->setObjectName(QStringLiteral("wizImage"));
    image->setPixmap(clockPicture(devicePixelRatioF()));
    picLayout->addWidget(image);

    m_stack = new QStackedWidget(this);
    m_c.build(m_stack);
    m_stack->setMinimumWidth(360);

    auto* help = button(QStringLiteral("&Help"), "wizHelpButton", this);
    m_back = button(QStringLiteral("< &Back"), "wizBackButton", this);
    m_next = button(QStringLiteral("&Next >"), "wizNextButton", this);
    m_next->setDefault(true);
    auto* cancel = button(QStringLiteral("&Cancel"), "wizCalncelButton", this);

    auto* top = new QHBoxLayout;
    top->addWidget(picPanel);
    top->addWidget(m_stack, 1);
    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(help);
    buttons->addStretch(1);
    buttons->addWidget(m_back);
    buttons->addWidget(m_next);
    buttons->addSpacing(8);
    buttons->addWidget(cancel);
    auto* window = new QVBoxLayout(this);
    window->addLayout(top, 1);
    window->addWidget(rule);
    window->addLayout(buttons);
    window->setSizeConstraint(QLayout::SetFixedSize);

    connect(help, &QPushButton::clicked, this, &TzarWizForm::wizHelpButtonClick);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            &TzarWizForm::wizHelpButtonClick);
    connect(m_back, &QPushButton::clicked, this, &TzarWizForm::wizBackButtonClick);
    connect(m_next, &QPushButton::clicked, this, &TzarWizForm::wizNextButtonClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_c.recCheckBox, &QCheckBox::clicked, this, &TzarWizForm::wizRecCheckBoxClick);
    connect(m_c.dRB, &QRadioButton::toggled, this, &TzarWizForm::wizDRBClick);
    connect(m_c.mRB, &QRadioButton::toggled, this, &TzarWizForm::wizMRBClick);
    connect(m_c.intervalCheckBox, &QCheckBox::clicked, this, &TzarWizForm::IntervalCheckBoxClick);
    connect(m_c.ieTimePicker, &QTimeEdit::timeChanged, this, &TzarWizForm::IETimePickerChange);
    connect(m_c.csButton, &QToolButton::clicked, this, &TzarWizForm::cfgCSButtonClick);
    connect(m_c.pathButton, &QToolButton::clicked, this, &TzarWizForm::cfgS15ButtonClick);

    // The initial state.
    m_c.typeCombo->setCurrentIndex(EvNotification);
    m_c.shutTypeCombo->setCurrentIndex(ShutShutdown);
    const QDateTime now = clock.now();
    m_c.datePicker->setDate(now.date());
    m_c.timePicker->setTime(wholeSeconds(now.time()));
    {
        const QSignalBlocker block(m_c.dRB);
        m_c.dRB->setChecked(true);
    }
    m_c.recEdit->setValue(1);
    m_c.recMEdit->setValue(1);
    wizRecCheckBoxClick(false);
    {
        const QSignalBlocker block(m_c.ieTimePicker);
        m_c.ibTimePicker->setTime(QTime(18, 19, 56));
        m_c.ieTimePicker->setTime(QTime(18, 20, 1));
    }
    IntervalCheckBoxClick(false);
    m_back->setEnabled(false);
    showStep(WizControls::WelcomePage);

    adjustSize();
    if (const QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
}

TzarWizForm::~TzarWizForm() = default;

void TzarWizForm::keyPressEvent(QKeyEvent* e)
{
    // No key is bound to Cancel; the wizard has no close box either.
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void TzarWizForm::showStep(int step)
{
    m_step = step;
    m_stack->setCurrentIndex(step);
    if (step == WizControls::WhenPage) {
        m_next->setText(QStringLiteral("&Finish"));
        m_c.timePicker->setEnabled(m_c.typeCombo->currentIndex() != EvStartupMessage);
    }
    // The page's first control takes the keyboard, as a user stepping through would expect.
    QWidget* page = m_stack->currentWidget();
    for (QWidget* w = page->nextInFocusChain(); w && w != page && page->isAncestorOf(w);
         w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled()) {
            w->setFocus(Qt::TabFocusReason);
            break;
        }
    }
}

int TzarWizForm::typePage() const
{
    switch (m_c.typeCombo->currentIndex()) {
    case EvShutdown:
        return WizControls::ShutPage;
    case EvLaunchOpen:
        return WizControls::LaunchPage;
    case EvMailMessage:
        return WizControls::MMPage;
    case EvOpenURL:
        return WizControls::URLPage;
    case EvStartupMessage:
        return WizControls::StartupPage;
    case EvTimeSync:
        return WizControls::TypePage;
    default: // Notification and Check mailbox: their own sound
        return WizControls::CSPage;
    }
}

void TzarWizForm::wizNextButtonClick()
{
    switch (m_step) {
    case WizControls::WelcomePage:
        m_back->setEnabled(true);
        showStep(WizControls::NamePage);
        break;
    case WizControls::NamePage:
        showStep(WizControls::TypePage);
        break;
    case WizControls::TypePage: {
        const int page = typePage();
        showStep(page == WizControls::TypePage ? int(WizControls::WhenPage) : page);
        break;
    }
    case WizControls::WhenPage:
        accept();
        break;
    default:
        showStep(WizControls::WhenPage);
        break;
    }
}

void TzarWizForm::wizBackButtonClick()
{
    switch (m_step) {
    case WizControls::WelcomePage:
        break;
    case WizControls::NamePage:
        m_back->setEnabled(false);
        showStep(WizControls::WelcomePage);
        break;
    case WizControls::TypePage:
        showStep(WizControls::NamePage);
        break;
    case WizControls::WhenPage:
        m_next->setText(QStringLiteral("&Next >"));
        showStep(typePage());
        break;
    default:
        showStep(WizControls::TypePage);
        break;
    }
}

void TzarWizForm::wizHelpButtonClick()
{
    if (m_showHelp)
        m_showHelp(HelpContext);
    else
        HelpViewer::showContext(HelpContext, this);
}

void TzarWizForm::wizRecCheckBoxClick(bool checked)
{
    m_c.dRB->setEnabled(checked);
    m_c.mRB->setEnabled(checked);
    const bool days = checked && m_c.dRB->isChecked();
    const bool months = checked && m_c.mRB->isChecked();
    m_c.recEdit->setEnabled(days);
    m_c.recDaysLabel->setEnabled(days);
    m_c.recMEdit->setEnabled(months);
    m_c.recMonthsLabel->setEnabled(months);
}

void TzarWizForm::wizDRBClick(bool checked)
{
    if (!checked) return;
    m_c.recEdit->setEnabled(true);
    m_c.recDaysLabel->setEnabled(true);
    m_c.recMEdit->setEnabled(false);
    m_c.recMonthsLabel->setEnabled(false);
}

void TzarWizForm::wizMRBClick(bool checked)
{
    if (!checked) return;
    m_c.recMEdit->setEnabled(true);
    m_c.recMonthsLabel->setEnabled(true);
    m_c.recEdit->setEnabled(false);
    m_c.recDaysLabel->setEnabled(false);
}

void TzarWizForm::IntervalCheckBoxClick(bool checked)
{
    m_c.ibTimePicker->setEnabled(checked);
    m_c.ieTimePicker->setEnabled(checked);
}

void TzarWizForm::IETimePickerChange(const QTime& time)
{
    if (time < m_c.ibTimePicker->time()) {
        const QSignalBlocker block(m_c.ieTimePicker);
        m_c.ieTimePicker->setTime(m_c.ibTimePicker->time());
    }
}

void TzarWizForm::cfgCSButtonClick()
{
    if (const auto file =
            CommonDialogs::chooseOpenFile(this, QStringLiteral("Sound files (*.wav)"), QStringLiteral("wav")))
        m_c.csEdit->setText(*file);
}

void TzarWizForm::cfgS15ButtonClick()
{
    if (const auto file = CommonDialogs::chooseOpenFile(this, QStringLiteral("All files (*)"), QString()))
        m_c.pathEdit->setText(*file);
}

EventRecord TzarWizForm::newEvent() const
{
    // Every field is taken whatever the type: what was typed on another type's page before the
    // user went back and changed the type is kept too. setValue cuts texts to the field size.
    EventRecord r;
    m_c.recEdit->commitTyped();
    m_c.recMEdit->commitTyped();
    const int type = m_c.typeCombo->currentIndex();
    r.setValue(Field::EvName, m_c.nameEdit->text());
    r.setValue(Field::EvType, type);
    r.setValue(Field::EvShutType, m_c.shutTypeCombo->currentIndex());
    r.setValue(Field::EvPath, m_c.pathEdit->text());
    r.setValue(Field::EvParam, m_c.paramEdit->text());
    r.setValue(Field::EvURL, m_c.urlEdit->text());
    r.setValue(Field::EvDate, m_c.datePicker->date());
    r.setValue(Field::EvTime, m_c.timePicker->time());
    r.setValue(Field::EvInterval, m_c.intervalCheckBox->isChecked());
    r.setValue(Field::EvIntBTime, m_c.ibTimePicker->time());
    r.setValue(Field::EvIntETime, m_c.ieTimePicker->time());
    r.setValue(Field::EvCS,
               type == EvNotification || type == EvCheckMailbox ? m_c.csEdit->text() : QString());
    const bool recurring = m_c.recCheckBox->isChecked();
    r.setValue(Field::EvRec, recurring && m_c.dRB->isChecked() ? m_c.recEdit->value() : 0);
    r.setValue(Field::EvRecMonth, recurring && m_c.mRB->isChecked() ? m_c.recMEdit->value() : 0);
    r.setValue(Field::EvMMAddress, m_c.mmAddressEdit->text());
    r.setValue(Field::EvMMSubj, m_c.mmSubjEdit->text());
    return r;
}

EvTable::RowId TzarWizForm::appendTo(EvTable& table) const
{
    return table.append(newEvent());
}

} // namespace zarvo
