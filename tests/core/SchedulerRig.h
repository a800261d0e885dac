#pragma once

#include "FakeClock.h"
#include "core/EvTable.h"
#include "core/EventAlarm.h"
#include "core/Scheduler.h"
#include "core/Settings.h"

#include <QStringList>

#include <functional>

// A scheduler with everything around it faked: the clock, the sound, the saves, the windows.
// Time moves only through runTo(), which checks the event timer where the real program would
// have: at the armed moment, and (as the tick would) just after every midnight.
struct SchedulerRig : zarvo::SchedulerHost, zarvo::EventActions, zarvo::ISoundPlayer
{
    FakeClock clock;
    zarvo::Settings settings;
    zarvo::EvTable table;
    zarvo::EventAlarm alarm{clock};
    zarvo::Scheduler scheduler{clock, settings, table, alarm, *this, *this, *this};

    QStringList lines;                                // notifications window
    QStringList sounds;                               // what was played
    QStringList actions;                              // other event actions, as "kind:argument"
    QVector<QVector<zarvo::EventRecord>> savedTables; // the table at every SaveEvents
    int parameterSaves = 0;
    int windowSaves = 0;
    QList<QDateTime> handledUpTo; // every SaveHandledUpTo
    int mailCount = 0;
    std::function<void()> duringAction; // runs inside a network action, before its result

    explicit SchedulerRig(const QDateTime& start)
    {
        clock.set(start);
        QObject::connect(&alarm, &zarvo::EventAlarm::OnAlarm, &scheduler, &zarvo::Scheduler::AlarmClockAlarm);
    }

    zarvo::EvTable::RowId add(const QString& name, const QDate& date, const QTime& time, int type = 0,
                              int recDays = 0, int recMonths = 0)
    {
        table.Append();
        table.setFieldValue(zarvo::Field::EvName, name);
        table.setFieldValue(zarvo::Field::EvDate, date);
        table.setFieldValue(zarvo::Field::EvTime, time);
        table.setFieldValue(zarvo::Field::EvType, type);
        table.setFieldValue(zarvo::Field::EvRec, recDays);
        table.setFieldValue(zarvo::Field::EvRecMonth, recMonths);
        table.Post();
        return table.rowId(table.RecordCount() - 1);
    }

    int indexOf(const QString& name) const
    {
        for (int i = 0; i < table.RecordCount(); ++i)
            if (table.row(i).EvName == name) return i;
        return -1;
    }
    QDate dateOf(const QString& name) const { return table.row(indexOf(name)).EvDate; }

    void runTo(const QDateTime& end)
    {
        while (clock.now() < end) {
            QDateTime step = end;
            const QDateTime due = alarm.nextAlarmMoment();
            if (due.isValid() && due > clock.now() && due < step) step = due;
            const QDateTime midnight = QDateTime(clock.now().date().addDays(1), QTime(0, 0, 0, 100));
            if (midnight < step) step = midnight;
            clock.set(step);
            alarm.Tick();
        }
    }

    // SchedulerHost
    void SaveParameters() override
    {
        settings.EvNum = table.RecordCount();
        ++parameterSaves;
    }
    void SaveEvents() override { savedTables.append(table.rows()); }
    void SaveWindowSettings() override { ++windowSaves; }
    void AddNotification(const QString& line) override { lines.append(line); }
    void SaveHandledUpTo(const QDateTime& moment) override { handledUpTo << moment; }

    // EventActions
    void launch(const QString& path, const QString& params) override
    {
        actions << "launch:" + path + " " + params;
    }
    void openUrl(const QString& url) override { actions << "url:" + url; }
    void requestShutdown(int type) override
    {
        actions << "shutdown:" + QString::number(type) +
                       " saved-date:" + savedTables.last().at(0).EvDate.toString(Qt::ISODate);
    }
    void checkMailbox(std::function<void(const zarvo::MailboxResult&)> done) override
    {
        actions << QStringLiteral("mailbox");
        if (duringAction) duringAction();
        done({mailCount != 0, mailCount});
    }

    // ISoundPlayer
    void play(const QString& source) override { sounds << source; }
    void enqueue(const QString& source) override { sounds << "queued:" + source; }
    void stop() override {}
};
