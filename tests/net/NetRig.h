#pragma once

#include "../core/SchedulerRig.h"
#include "core/DialUp.h"
#include "core/SystemTimeSetter.h"
#include "net/NetworkActions.h"

#include <QMutex>
#include <QThread>

// Records the dial-up guard's calls in order; they come from the network workers.
struct FakeDialUp : zarvo::IDialUpGuard
{
    void DialUpSnapshot() override { record(QStringLiteral("snapshot")); }
    void HangUpNewConnection() override { record(QStringLiteral("hangup")); }
    QStringList calls() const
    {
        QMutexLocker lock(&m_mutex);
        return m_calls;
    }

private:
    void record(const QString& call)
    {
        QMutexLocker lock(&m_mutex);
        m_calls << call;
    }
    mutable QMutex m_mutex;
    QStringList m_calls;
};

// Records the instants the clock was set to.
struct FakeTimeSetter : zarvo::ISystemTimeSetter
{
    QList<QDateTime> instants;
    void setSystemTime(const QDateTime& instant) override { instants << instant; }
};

inline const QStringList kOneBracket{QStringLiteral("snapshot"), QStringLiteral("hangup")};

// The scheduler with the real network actions plugged in, the rest faked. The actions' results
// arrive through the event loop: wait for them with QTRY_*.
struct NetRig : SchedulerRig
{
    FakeDialUp dialUp;
    FakeTimeSetter timeSetter;
    zarvo::NetworkActions net{dialUp, timeSetter, clock};
    int results = 0;                 // network results delivered so far
    QThread* resultThread = nullptr; // the thread the last one was delivered on

    explicit NetRig(const QDateTime& start) : SchedulerRig(start) {}
    void checkMailbox(std::function<void(const zarvo::MailboxResult&)> done) override
    {
        net.checkMailbox(settings, [this, done](const zarvo::MailboxResult& r) {
            ++results;
            resultThread = QThread::currentThread();
            done(r);
        });
    }
    void sendMail(const zarvo::NextEventCache& event,
                  std::function<void(const zarvo::MailResult&)> done) override
    {
        net.sendMail(settings, event, [this, done](const zarvo::MailResult& r) {
            ++results;
            resultThread = QThread::currentThread();
            done(r);
        });
    }
    void synchronizeTime(std::function<void(const zarvo::TimeSyncResult&)> done) override
    {
        net.synchronizeTime(settings, [this, done](const zarvo::TimeSyncResult& r) {
            ++results;
            resultThread = QThread::currentThread();
            done(r);
        });
    }
};
