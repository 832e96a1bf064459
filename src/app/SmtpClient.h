#pragma once

#include "app/MailSettings.h"

#include <QByteArray>
#include <QString>

// One plain-text mail.
struct TMailMessage {
    QString Sender;
    QString Recipient;
    QString Subject;
    QString Body;

    // The message as it crosses the wire: headers, then the UTF-8 body in base64 so that
    // any text and any line length survive every server.
    QByteArray ToMime() const;
};

// Sends mail through libcurl's SMTP. The connection switches to TLS whenever the server
// offers STARTTLS, and the whole exchange ends within the settings' time-out. Blocking:
// callers that must stay responsive run it on a worker thread.
class TSmtpClient {
public:
    explicit TSmtpClient(TMailSettings ASettings);

    // False on any failure to connect, log in or send; LastError says why.
    bool Send(const TMailMessage& AMessage);
    const QString& LastError() const { return FLastError; }

private:
    TMailSettings FSettings;
    QString FLastError;
};
