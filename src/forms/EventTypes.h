#pragma once

#include <QStringList>

namespace zarvo {

// What the editors know about each event type, in one place so that the Events page and the
// wizard cannot come to disagree.

// The names of the types and of the shutdowns, in the order of their values.
QStringList eventTypeNames();
QStringList shutdownTypeNames();

// The parameters a type has besides its name, date, time, recurrence and sound. Unknown types
// (a file may hold any number) have none.
enum class TypeParameters
{
    None,
    Launch,
    Shutdown,
    Startup,
    Mail,
    Url
};
TypeParameters parametersOf(int eventType);

// Only a Notification and a Check mailbox play a sound of their own when they go off; a start-up
// message plays the default sound whatever the event names, so no other type is offered one.
bool takesCustomSound(int eventType);

// A start-up message is due when the program starts on its day, never at a time of day.
bool takesTimeOfDay(int eventType);

} // namespace zarvo
