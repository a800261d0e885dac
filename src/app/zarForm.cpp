#include "zarForm.h"

#include "forms/zarNotifForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QPainter>

#include <cstdio>

namespace zarvo {

namespace {

QColor fromStoredColor(int c)
{
    // Stored as red + 256 x green + 65536 x blue.
    return QColor(c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff);
}

void showRegistryError()
{
    // Nobody could close a box on the offscreen platform, and it would stop the program there.
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        std::fprintf(stderr, "zarvo: Error in system registry\n");
        return;
    }
    QMessageBox::critical(nullptr, QStringLiteral("Zarvo!"), QStringLiteral("Error in system registry"));
}

} // namespace

TzarForm::TzarForm(const QString& settingsFile, const QString& eventsDir, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_settingsStore(settingsFile, showRegistryError), m_eventStore(eventsDir), m_alarmClock(m_clock),
      m_dingClock(m_clock),
      m_scheduler(m_clock, m_settings, m_table, m_alarmClock, m_sound, *this, m_actions),
      m_alarmDriver(m_alarmClock), m_dingDriver(m_dingClock)
{
    setWindowTitle(QStringLiteral("Zarvo!"));
    move(-500, -500);

    m_settingsStore.LoadSettings(m_settings);
    m_eventStore.LoadEvents(m_table, m_settings.EvNum);

    applyClockLook();
    m_table.setAllowedChars(Field::EvRec, QStringLiteral("0123456789"));
    m_table.setAllowedChars(Field::EvRecMonth, QStringLiteral("0123456789"));

    // For the benchmark: the moment the alarm goes off, before the firing's own work.
    if (qEnvironmentVariableIsSet("ZARVO_TRACE")) {
        connect(&m_alarmClock, &ClockAlarm::OnAlarm, this, [] {
            std::fprintf(stderr, "zarvo-trace: alarm %lld\n", QDateTime::currentMSecsSinceEpoch());
        });
    }
    connect(&m_alarmClock, &ClockAlarm::OnAlarm, &m_scheduler, &Scheduler::AlarmClockAlarm);
    connect(&m_dingClock, &ClockAlarm::Ticked, this, [this] {
        if (isVisible()) update();
    });
    m_alarmDriver.start();
    m_dingDriver.start();
}

TzarForm::~TzarForm()
{
    if (!m_saved) SaveWindowSettings();
}

void TzarForm::applyClockLook()
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, fromStoredColor(m_settings.ClockColor));
    pal.setColor(QPalette::WindowText, fromStoredColor(m_settings.ClockFColor));
    setPalette(pal);
    setAutoFillBackground(true);
    QFont f(m_settings.ClockFName);
    f.setPointSize(qMax(1, m_settings.ClockFSize));
    f.setBold(m_settings.ClockFB);
    f.setItalic(m_settings.ClockFI);
    f.setUnderline(m_settings.ClockFU);
    f.setStrikeOut(m_settings.ClockFS);
    setFont(f);
    setFixedSize(m_settings.ClockFSize * (m_settings.SecVisible ? 7 : 5), m_settings.ClockFSize + 4);
    move(m_settings.ClockLeft, m_settings.ClockTop);
    // The window is made on top; a stored "not on top" must hold even if it is never shown,
    // or saving would turn it on behind the user's back.
    if (!m_settings.ClockOnTop) setWindowFlag(Qt::WindowStaysOnTopHint, false);
    if (m_settings.ClockVisible) show();
}

void TzarForm::RunStartupHooks()
{
    m_scheduler.RunStartupMessages();
    m_scheduler.SelectNextEvent();
}

void TzarForm::ShutItemClick()
{
    close();
}

void TzarForm::closeEvent(QCloseEvent* e)
{
    e->accept();
    QApplication::quit();
}

void TzarForm::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QString format = m_settings.SecVisible ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm");
    p.drawText(rect(), Qt::AlignCenter, m_clock.now().toString(format));
}

void TzarForm::SaveParameters()
{
    m_settingsStore.SaveParameters(m_settings);
}

void TzarForm::SaveEvents()
{
    m_eventStore.SaveEvents(m_table);
}

void TzarForm::SaveWindowSettings()
{
    // The clock window's own state is what counts, not what was loaded.
    m_settings.ClockLeft = pos().x();
    m_settings.ClockTop = pos().y();
    m_settings.ClockOnTop = windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    m_settings.ClockFName = font().family();
    m_settingsStore.SaveWindowSettings(m_settings);
}

void TzarForm::SaveStickerSettings()
{
    m_settingsStore.SaveStickerSettings(m_settings);
}

void TzarForm::AddNotification(const QString& line)
{
    if (m_notif) m_notif->AddLine(line);
}

} // namespace zarvo
