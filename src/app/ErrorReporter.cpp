#include "app/ErrorReporter.h"

#include "app/ReportTexts.h"
#include "app/SmtpClient.h"
#include "app/UrlOpener.h"
#include "media/FFLogger.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <thread>

namespace {

// Runs ACall on a worker thread and serves this thread's events until it returns.
void RunOffThisThread(const std::function<void()>& ACall)
{
    if (!QCoreApplication::instance()) {
        ACall();
        return;
    }
    QEventLoop loop;
    std::thread worker([&] {
        ACall();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
}

} // namespace

bool SendErrorReport(QStringList& AHistory, const QStringList& AEventsLog, const QString& AMessage,
    const QString& AMark, const TMailSettings& ASettings)
{
    AppendReportSections(AHistory, AEventsLog, AMessage, AMark);
    const TMailMessage mail { ASettings.Mailbox, ASettings.Recipient, ReportSubject,
        ReportBody(AHistory) };
    TSmtpClient client(ASettings);
    bool sent = false;
    RunOffThisThread([&] { sent = client.Send(mail); });
    if (!sent) {
        GetLogger().Log(nullptr, llWarning,
            "Error report not mailed (%s); handing it to the mail program",
            client.LastError().toStdString());
        OpenUrl(ReportMailtoUrl(ASettings.Recipient, AMessage, AMark));
    }
    return sent;
}
