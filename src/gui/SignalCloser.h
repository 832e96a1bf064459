#pragma once
// Turns SIGTERM and SIGINT into closing a window on the user-interface thread, so
// that a program asked to end still runs its close handling (settings are saved).

#include <QObject>
#include <QPointer>
#include <QWidget>

class QSocketNotifier;

class TSignalCloser : public QObject {
    Q_OBJECT

public:
    // Installs the handlers; the window is closed when a signal arrives. Only one
    // closer exists at a time.
    explicit TSignalCloser(QObject* parent = nullptr);
    ~TSignalCloser() override;

    void SetWindow(QWidget* window) { FWindow = window; }

private:
    void SignalArrived();

    QPointer<QWidget> FWindow;
    QSocketNotifier* FNotifier = nullptr;
};
