#pragma once
// Hand-overs to the user-interface thread through Qt's event loop. The program
// creates one on its UI thread at start-up; from then on a worker's RunInMainThread
// posts an event that makes the UI thread serve it.

#include "media/MainThreadDispatcher.h"

#include <QObject>

class QThread;

class TQtMainThreadDispatcher : public QObject, public TMainThreadDispatcher {
public:
    // Installs itself for the calling thread, which must run a Qt event loop.
    TQtMainThreadDispatcher();
    ~TQtMainThreadDispatcher() override;

    bool IsMainThread() const override;
    void Post() override;

private:
    QThread* const FThread;
};
