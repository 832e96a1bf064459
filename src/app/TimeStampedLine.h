#pragma once

#include <QString>
#include <QTime>

// An events-log line: the time of day in the system locale's long time format,
// immediately followed by the text ("14:05:31-> Conversion is started.").
QString TimeStampedLine(const QString& AText, const QTime& ATime = QTime::currentTime());
