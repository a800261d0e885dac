#pragma once

#include "EvTable.h"

#include <QDate>
#include <QString>
#include <QTime>

namespace zarvo {

// The copy of the armed event held between its selection and its firing.
struct NextEventCache
{
    QDate NextDate;
    QString NextName; // the event's text alone
    QTime NextTime;
    QString NextText;
    QString NextPath;
    QString NextParam;
    QString NextSound;
    QString NextMailAddress;
    QString NextMailSubject;
    QString NextMailBody;
    int NextType = 0;
    int NextShutType = 0;
    int NextRow = 0;              // 1-based position when it was chosen
    EvTable::RowId NextRowId = 0; // the row itself, whatever happens to the rows before it
};

} // namespace zarvo
