#pragma once

#include <QString>

class QSettings;

// Where error reports are mailed. Every value lives in the settings store under the
// "Report" group, so a maker can move the report mailbox without a new build; a missing
// value or one of the wrong type falls back to its default.
struct TMailSettings {
    QString Server = QStringLiteral("mail.larkspire.com");
    int Port = 26;
    // The report mailbox: user name for logging in and the sender address.
    QString Mailbox = QStringLiteral("reports@larkspire.com");
    QString Password = QStringLiteral("kandrowe");
    QString Recipient = QStringLiteral("support@larkspire.com");
    // Certificate authorities trusted for STARTTLS in addition to the system's; empty
    // means the system's alone.
    QString CaFile;
    int TimeoutSeconds = 30;

    static TMailSettings Load(QSettings& ASettings);
};
