#include "AppActions.h"

#include <QDateTime>

#include <cstdio>

namespace zarvo {

namespace {

void trace(bool on, const char* what, const QString& detail = {})
{
    if (!on) return;
    std::fprintf(stderr, "zarvo-trace: %s %lld%s%s\n", what, QDateTime::currentMSecsSinceEpoch(),
                 detail.isEmpty() ? "" : " ", qPrintable(detail));
}

} // namespace

AppActions::AppActions(const Settings& settings, const IClock& clock)
    : m_settings(settings), m_trace(qEnvironmentVariableIsSet("ZARVO_TRACE")),
      m_network(m_dialUp, m_timeDated, clock)
{
}

void AppActions::synchronizeTime(std::function<void(const TimeSyncResult&)> done)
{
    trace(m_trace, "time-start");
    m_network.synchronizeTime(m_settings, [on = m_trace, done](const TimeSyncResult& r) {
        trace(on, "time-result",
              QStringLiteral("server=") + r.serverTime.toString(Qt::ISODate) + QStringLiteral(" set=") +
                  r.setTo.toString(Qt::ISODate));
        if (done) done(r);
    });
}

void AppActions::sendMail(const NextEventCache& event, std::function<void(const MailResult&)> done)
{
    trace(m_trace, "mail-start");
    m_network.sendMail(m_settings, event, [on = m_trace, done](const MailResult& r) {
        trace(on, "mail-result", QStringLiteral("sent=") + QString::number(r.sent));
        if (done) done(r);
    });
}

void AppActions::checkMailbox(std::function<void(const MailboxResult&)> done)
{
    trace(m_trace, "mailbox-start");
    m_network.checkMailbox(m_settings, [on = m_trace, done](const MailboxResult& r) {
        trace(on, "mailbox-result",
              QStringLiteral("logged-in=") + QString::number(r.loggedIn) + QStringLiteral(" count=") +
                  QString::number(r.count));
        if (done) done(r);
    });
}

} // namespace zarvo
