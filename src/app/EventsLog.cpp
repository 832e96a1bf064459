#include "app/EventsLog.h"

#include "app/TimeStampedLine.h"

void TEventsLog::Add(const QString& ALine)
{
    FLines.append(ALine);
    emit LineAdded(ALine);
}

void TEventsLog::AddTimed(const QString& ANote)
{
    Add(TimeStampedLine(ANote));
}

TEventsLog& EventsLog()
{
    static TEventsLog log;
    return log;
}
