#pragma once

#include "../core/SchedulerRig.h"
#include "core/DialUp.h"
#include "core/SystemTimeSetter.h"
#include "net/NetworkActions.h"

// Records the dial-up guard's calls in order.
struct FakeDialUp : zarvo::IDialUpGuard
{
    QStringList calls;
    void DialUpSnapshot() override { calls << QStringLiteral("snapshot"); }
    void HangUpNewConnection() override { calls << QStringLiteral("hangup"); }
};

// Records the instants the clock was set to.
struct FakeTimeSetter : zarvo::ISystemTimeSetter
{
    QList<QDateTime> instants;
    void setSystemTime(const QDateTime& instant) override { instants << instant; }
};

// The scheduler with the real network actions plugged in, the rest faked.
struct NetRig : SchedulerRig
{
    FakeDialUp dialUp;
    FakeTimeSetter timeSetter;
    zarvo::NetworkActions net{dialUp, timeSetter, clock};

    explicit NetRig(const QDateTime& start) : SchedulerRig(start) {}
    void checkMailbox(std::function<void(const zarvo::MailboxResult&)> done) override
    {
        const int count = net.checkMailbox(settings);
        done({count != 0, count});
    }
    void sendMail(const zarvo::NextEventCache& event, std::function<void(const zarvo::MailResult&)> done) override
    {
        net.sendMail(settings, event);
        done({});
    }
    void synchronizeTime(std::function<void(const zarvo::TimeSyncResult&)> done) override
    {
        net.synchronizeTime(settings);
        done({});
    }
};
