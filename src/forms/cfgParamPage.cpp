#include "cfgParamPage.h"

#include "CommonDialogs.h"
#include "EditorWidgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace zarvo {

namespace {

QToolButton* smallButton(const QString& name, const QString& text, const QString& tip, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(text);
    button->setToolTip(tip);
    return button;
}

// The sample times the Talk tests speak: a quarter past, half past and ten o'clock.
constexpr int kSampleMinute[] = {15, 30, 0};

} // namespace

CfgParamPage::CfgParamPage(ISoundPlayer& sound, std::function<void(int, int)> speakTime, QWidget* parent)
    : QWidget(parent), m_sound(sound), m_speakTime(std::move(speakTime))
{
    setObjectName(QStringLiteral("cfgParamSheet"));
    auto* page = new QVBoxLayout(this);
    page->addWidget(makeHeading(QStringLiteral("Alarms"), this));
    const ChimeTexts texts[ChimeCount] = {
        {"At 1&5 and 45 minutes",
         "&Sound",
         "&Talk",
         "Sound &file",
         {"Alarm15mCheckBox", "cfgAlarm15SoundRadio", "cfgAlarm15TalkRadio", "cfgS15Edit", "cfgS15Button",
          "Alarm15mTestButton", "cfgS15Label"}},
        {"At &30 minutes",
         "S&ound",
         "T&alk",
         "Sound f&ile",
         {"Alarm30mCheckBox", "cfgAlarm30SoundRadio", "cfgAlarm30TalkRadio", "cfgS30Edit", "cfgS30Button",
          "Alarm30mTestButton", "cfgS30Label"}},
        {"At &00 mintues",
         "So&und",
         "Tal&k",
         "Sound fi&le",
         {"Alarm1hCheckBox", "cfgAlarm1hSoundRadio", "cfgAlarm1hTalkRadio", "cfgS1hEdit", "cfgS1hButton",
          "Alarm1hTestButton", "cfgS1hLabel"}},
    };
    auto* chimes = new QHBoxLayout;
    for (int c = 0; c < ChimeCount; ++c)
        chimes->addWidget(buildChime(Chime(c), texts[c], this));
    page->addLayout(chimes);

    page->addWidget(makeHeading(QStringLiteral("Events"), this));
    auto* events = new QGridLayout;
    m_mainEdit = new QLineEdit(this);
    m_mainEdit->setObjectName(QStringLiteral("cfgSMainEdit"));
    // An empty default is not silence: events then play the desktop's alarm sound.
    m_mainEdit->setPlaceholderText(QStringLiteral("(desktop alarm sound)"));
    m_mainLabel = makeBuddyLabel(QStringLiteral("&Default sound file"), m_mainEdit, this);
    m_mainButton =
        smallButton(QStringLiteral("cfgSMainButton"), QStringLiteral("..."), QStringLiteral("Browse"), this);
    m_mainTest =
        smallButton(QStringLiteral("cfgTestButton"), QStringLiteral(">"), QStringLiteral("Test"), this);
    m_soundCheck = new QCheckBox(QStringLiteral("Sou&nd"), this);
    m_soundCheck->setObjectName(QStringLiteral("cfgSoundCheckBox"));
    m_showCheck = new QCheckBox(QStringLiteral("Show notifi&cations"), this);
    m_showCheck->setObjectName(QStringLiteral("cfgShowMessageCheckBox"));
    m_deleteCheck = new QCheckBox(QStringLiteral("D&elete after notification"), this);
    m_deleteCheck->setObjectName(QStringLiteral("cfgDeleteCheckBox"));
    m_missedCheck = new QCheckBox(QStringLiteral("Show &missed reminders"), this);
    m_missedCheck->setObjectName(QStringLiteral("cfgShowMissedCheckBox"));
    m_desktopNotifyCheck = new QCheckBox(QStringLiteral("Deskto&p notifications"), this);
    m_desktopNotifyCheck->setObjectName(QStringLiteral("cfgDesktopNotifyCheckBox"));
    // "l" is taken by "Sound fi&le" on this page.
    m_loginCheck = new QCheckBox(QStringLiteral("Start at lo&gin"), this);
    m_loginCheck->setObjectName(QStringLiteral("cfgStartAtLoginCheckBox"));
    events->addWidget(m_soundCheck, 0, 0);
    events->addWidget(m_mainLabel, 0, 1);
    events->addWidget(m_mainEdit, 0, 2);
    events->addWidget(m_mainButton, 0, 3);
    events->addWidget(m_mainTest, 0, 4);
    events->addWidget(m_showCheck, 1, 0);
    events->addWidget(m_deleteCheck, 2, 0);
    events->addWidget(m_missedCheck, 3, 0);
    events->addWidget(m_desktopNotifyCheck, 4, 0);
    events->addWidget(m_loginCheck, 5, 0);
    events->setColumnStretch(2, 1);
    page->addLayout(events);
    page->addStretch(1);

    connect(m_soundCheck, &QCheckBox::clicked, this, &CfgParamPage::applyRules);
    connect(m_mainButton, &QToolButton::clicked, this, [this] { browseInto(m_mainEdit); });
    connect(m_mainTest, &QToolButton::clicked, this, [this] { m_sound.play(m_mainEdit->text()); });
    applyRules();
}

QWidget* CfgParamPage::buildChime(Chime c, const ChimeTexts& t, QWidget* parent)
{
    ChimeControls& k = m_chimes[size_t(c)];
    auto* column = new QWidget(parent);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    k.check = new QCheckBox(QString::fromUtf8(t.check), column);
    k.check->setObjectName(QLatin1String(t.names[0]));
    layout->addWidget(k.check);

    auto* box = new QGroupBox(column);
    auto* grid = new QGridLayout(box);
    k.sound = new QRadioButton(QString::fromUtf8(t.sound), box);
    k.sound->setObjectName(QLatin1String(t.names[1]));
    k.talk = new QRadioButton(QString::fromUtf8(t.talk), box);
    k.talk->setObjectName(QLatin1String(t.names[2]));
    auto* pair = new QButtonGroup(box);
    pair->addButton(k.sound);
    pair->addButton(k.talk);
    k.sound->setChecked(true);
    k.file = new QLineEdit(box);
    k.file->setObjectName(QLatin1String(t.names[3]));
    k.fileLabel = makeBuddyLabel(QString::fromUtf8(t.file), k.file, box);
    k.fileLabel->setObjectName(QLatin1String(t.names[6]));
    k.browse = smallButton(QLatin1String(t.names[4]), QStringLiteral("..."), QStringLiteral("Browse"), box);
    k.test = smallButton(QLatin1String(t.names[5]), QStringLiteral(">"), QStringLiteral("Test"), box);
    grid->addWidget(k.sound, 0, 0);
    grid->addWidget(k.talk, 0, 1);
    grid->addWidget(k.test, 0, 3);
    grid->addWidget(k.fileLabel, 1, 0, 1, 4);
    grid->addWidget(k.file, 2, 0, 1, 3);
    grid->addWidget(k.browse, 2, 3);
    if (c == Chime1h) {
        m_repeat = new QCheckBox(QStringLiteral("&Repeat"), box);
        m_repeat->setObjectName(QStringLiteral("cfgAlarmRepeatCheckBox"));
        grid->addWidget(m_repeat, 3, 0, 1, 4);
    }
    grid->setRowStretch(4, 1);
    layout->addWidget(box, 1);

    connect(k.check, &QCheckBox::clicked, this, &CfgParamPage::applyRules);
    connect(k.sound, &QRadioButton::clicked, this, &CfgParamPage::applyRules);
    connect(k.talk, &QRadioButton::clicked, this, &CfgParamPage::applyRules);
    connect(k.browse, &QToolButton::clicked, this, [this, c] { browseInto(m_chimes[size_t(c)].file); });
    connect(k.test, &QToolButton::clicked, this, [this, c] { testChime(c); });
    return column;
}

void CfgParamPage::applyRules()
{
    for (const ChimeControls& k : m_chimes) {
        const bool on = k.check->isChecked();
        const bool file = on && k.sound->isChecked();
        k.sound->setEnabled(on);
        k.talk->setEnabled(on);
        k.test->setEnabled(on);
        k.fileLabel->setEnabled(file);
        k.file->setEnabled(file);
        k.browse->setEnabled(file);
    }
    const ChimeControls& hour = m_chimes[Chime1h];
    m_repeat->setEnabled(hour.check->isChecked() && hour.sound->isChecked());
    const bool main = m_soundCheck->isChecked();
    m_mainLabel->setEnabled(main);
    m_mainEdit->setEnabled(main);
    m_mainButton->setEnabled(main);
    m_mainTest->setEnabled(main);
}

void CfgParamPage::fill(const Settings& s)
{
    m_repeat->setChecked(s.Repeat);
    m_chimes[Chime15].file->setText(s.File15);
    m_chimes[Chime30].file->setText(s.File30);
    m_chimes[Chime1h].file->setText(s.File1h);
    m_mainEdit->setText(s.SoundFile);
    m_chimes[Chime15].check->setChecked(s.Ding15);
    m_chimes[Chime30].check->setChecked(s.Ding30);
    m_chimes[Chime1h].check->setChecked(s.Ding1h);
    m_deleteCheck->setChecked(s.DeleteEvents);
    m_missedCheck->setChecked(s.ShowMissed);
    m_desktopNotifyCheck->setChecked(s.DesktopNotify);
    const bool sound[ChimeCount] = {s.Sound15, s.Sound30, s.Sound1h};
    for (int c = 0; c < ChimeCount; ++c) {
        m_chimes[size_t(c)].sound->setChecked(sound[c]);
        m_chimes[size_t(c)].talk->setChecked(!sound[c]);
    }
    m_showCheck->setChecked(s.Show);
    m_soundCheck->setChecked(s.Sound);
    applyRules();
}

void CfgParamPage::applyTo(Settings& s) const
{
    s.Show = m_showCheck->isChecked();
    s.Sound = m_soundCheck->isChecked();
    s.DeleteEvents = m_deleteCheck->isChecked();
    s.ShowMissed = m_missedCheck->isChecked();
    s.DesktopNotify = m_desktopNotifyCheck->isChecked();
    s.Ding15 = m_chimes[Chime15].check->isChecked();
    s.Ding30 = m_chimes[Chime30].check->isChecked();
    s.Ding1h = m_chimes[Chime1h].check->isChecked();
    s.Sound15 = m_chimes[Chime15].sound->isChecked();
    s.Sound30 = m_chimes[Chime30].sound->isChecked();
    s.Sound1h = m_chimes[Chime1h].sound->isChecked();
    s.File15 = m_chimes[Chime15].file->text();
    s.File30 = m_chimes[Chime30].file->text();
    s.File1h = m_chimes[Chime1h].file->text();
    s.SoundFile = m_mainEdit->text();
    s.Repeat = m_repeat->isChecked();
}

void CfgParamPage::fillStartAtLogin(bool on)
{
    m_loginCheck->setChecked(on);
}

bool CfgParamPage::startAtLogin() const
{
    return m_loginCheck->isChecked();
}

void CfgParamPage::testChime(Chime c)
{
    const ChimeControls& k = m_chimes[size_t(c)];
    if (k.sound->isChecked())
        m_sound.play(k.file->text());
    else if (m_speakTime)
        m_speakTime(10, kSampleMinute[c]);
}

void CfgParamPage::browseInto(QLineEdit* edit)
{
    if (const auto file =
            CommonDialogs::chooseOpenFile(this, QStringLiteral("Sound files (*.wav)"), QStringLiteral("wav")))
        edit->setText(*file);
}

} // namespace zarvo
