#include "gui/SignalCloser.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Written by the signal handler, read on the user-interface thread.
int signalPipe[2] = { -1, -1 };

void onSignal(int)
{
    const char byte = 1;
    // Only async-signal-safe calls here; a full pipe just means a close is pending.
    [[maybe_unused]] ssize_t written = ::write(signalPipe[0], &byte, 1);
}

void setHandler(int signal, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

} // namespace

TSignalCloser::TSignalCloser(QObject* parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    FNotifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, &TSignalCloser::SignalArrived);
    setHandler(SIGTERM, onSignal);
    setHandler(SIGINT, onSignal);
}

TSignalCloser::~TSignalCloser()
{
    setHandler(SIGTERM, SIG_DFL);
    setHandler(SIGINT, SIG_DFL);
    delete FNotifier;
    for (int& fd : signalPipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void TSignalCloser::SignalArrived()
{
    char byte;
    [[maybe_unused]] ssize_t got = ::read(signalPipe[1], &byte, 1);
    // An open dialog runs its own loop and would keep the program alive: close it first.
    for (int tries = 0; tries < 16 && QApplication::activeModalWidget(); ++tries)
        QApplication::activeModalWidget()->close();
    if (FWindow)
        FWindow->close();
    else
        QCoreApplication::quit();
}
