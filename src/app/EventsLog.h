#pragma once
// The events log: the user-level events since the program started, one line each,
// in the order written; never cleared, never saved. Lines can be written before the
// events log window exists (the main window's start-up writes some), so the lines
// live here and the window shows them. User-interface thread only.

#include <QObject>
#include <QStringList>

class TEventsLog : public QObject {
    Q_OBJECT

public:
    // Appends a line as it is (a bare error text, an empty separator line).
    void Add(const QString& ALine);
    // Appends the time-stamped line of ANote ("14:05:31-> Conversion is started.").
    void AddTimed(const QString& ANote);
    const QStringList& Lines() const { return FLines; }

signals:
    void LineAdded(const QString& ALine);

private:
    QStringList FLines;
};

// The program's events log.
TEventsLog& EventsLog();
