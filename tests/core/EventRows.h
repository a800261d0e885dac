#pragma once

#include "EventRecord.h"

#include <QVector>

// Test tables: rows that differ from each other and from table to table, with some fields left
// unset in every row.
inline QVector<zarvo::EventRecord> makeEventRows(int count, const QString& tag)
{
    using namespace zarvo;
    QVector<EventRecord> rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        EventRecord r;
        r.setValue(Field::EvName, QStringLiteral("%1 event %2 \u00e9\u00df").arg(tag).arg(i));
        r.setValue(Field::EvDate, QDate(2024, 1, 1).addDays(i % 900));
        r.setValue(Field::EvTime,
                   QTime(0, 0).addMSecs((i * 7919) % 86400 * 1000 + (i % 3 == 0 ? 0 : i % 1000)));
        r.setValue(Field::EvType, i % 8);
        if (i % 2)
            r.setValue(Field::EvRec, i % 30);
        else
            r.setValue(Field::EvRecMonth, i % 12);
        if (i % 8 == EvLaunchOpen) {
            r.setValue(Field::EvPath, QStringLiteral("/usr/bin/prog%1").arg(i));
            r.setValue(Field::EvParam, QStringLiteral("--flag \"%1\"").arg(tag));
        }
        if (i % 8 == EvStartupMessage) {
            r.setValue(Field::EvInterval, i % 3 == 1);
            r.setValue(Field::EvIntBTime, QTime(8, 0));
            r.setValue(Field::EvIntETime, QTime(17, 30));
        }
        rows.append(r);
    }
    return rows;
}
