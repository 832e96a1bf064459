#include "app/QtMainThreadDispatcher.h"

#include <QThread>

TQtMainThreadDispatcher::TQtMainThreadDispatcher()
    : FThread(QThread::currentThread())
{
    InstallMainThreadDispatcher(this);
}

TQtMainThreadDispatcher::~TQtMainThreadDispatcher()
{
    InstallMainThreadDispatcher(nullptr);
}

bool TQtMainThreadDispatcher::IsMainThread() const
{
    return QThread::currentThread() == FThread;
}

void TQtMainThreadDispatcher::Post()
{
    QMetaObject::invokeMethod(
        this, [] { ServeMainThreadCalls(); }, Qt::QueuedConnection);
}
