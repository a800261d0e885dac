#include "NetworkActions.h"

#include "NetJobs.h"
#include "core/Clock.h"
#include "core/SystemTimeSetter.h"

#include <QMetaObject>

namespace zarvo {

NetworkActions::NetworkActions(IDialUpGuard& dialUp, ISystemTimeSetter& timeSetter, const IClock& clock)
    : m_timeSetter(timeSetter), m_clock(clock), m_dialUp(dialUp)
{
}

NetworkActions::~NetworkActions() = default;

void NetworkActions::post(std::function<void()> deliver)
{
    QMetaObject::invokeMethod(&m_home, std::move(deliver), Qt::QueuedConnection);
}

void NetworkActions::checkMailbox(const Settings& settings, std::function<void(const MailboxResult&)> done)
{
    m_dialUp.reserve();
    m_mailboxWorker.post([this, job = MailboxJob::from(settings), done](const std::atomic<bool>& stop) {
        MailboxResult result;
        {
            const DialUpBracket::Scope bracket(m_dialUp, stop);
            result = MailboxCheck(job, &stop).run();
        }
        post([done, result] {
            if (done) done(result);
        });
    });
}

void NetworkActions::sendMail(const Settings& settings, const NextEventCache& event,
                              std::function<void(const MailResult&)> done)
{
    m_dialUp.reserve();
    m_mailWorker.post(
        [this, job = MailJob::from(settings, event, m_clock.now()), done](const std::atomic<bool>& stop) {
            MailResult result;
            {
                const DialUpBracket::Scope bracket(m_dialUp, stop);
                result = MailSend(job, &stop).run();
            }
            post([done, result] {
                if (done) done(result);
            });
        });
}

void NetworkActions::synchronizeTime(const Settings& settings,
                                     std::function<void(const TimeSyncResult&)> done)
{
    m_dialUp.reserve();
    m_timeWorker.post(
        [this, job = TimeJob::from(settings, m_clock.now()), done](const std::atomic<bool>& stop) {
            QDateTime serverTime;
            {
                const DialUpBracket::Scope bracket(m_dialUp, stop);
                serverTime = TimeRead(job, &stop).run();
            }
            post([this, done, serverTime] { applyServerTime(serverTime, done); });
        });
}

void NetworkActions::applyServerTime(const QDateTime& serverTime,
                                     const std::function<void(const TimeSyncResult&)>& done)
{
    TimeSyncResult result{serverTime, {}};
    if (serverTime.isValid()) {
        // The local date as it is now that the answer is here; only the time of day follows the
        // server.
        result.setTo = syncInstant(m_clock.now().date(), serverTime.toUTC().time());
        try {
            m_timeSetter.setSystemTime(result.setTo);
        } catch (...) {
        }
    }
    if (done) done(result);
}

QDateTime NetworkActions::syncInstant(const QDate& localDate, const QTime& serverUtcTime)
{
    const QTime localTime = QDateTime(localDate, serverUtcTime, Qt::UTC).toLocalTime().time();
    return QDateTime(localDate, localTime, Qt::LocalTime);
}

} // namespace zarvo
