#pragma once
// The texts of an error report: the sections added to the action history, the mail body
// and the short mail offered to the user's mail program when sending fails.

#include <QStringList>
#include <QUrl>

extern const QString ReportSubject;
// The first line of the action history; the mail body starts there.
extern const QString HistoryHeader;

// Appends the report's sections to the history: the events log between separators,
// then the message and the code-line mark. They stay there, so a later report also
// carries the earlier ones.
void AppendReportSections(QStringList& AHistory, const QStringList& AEventsLog,
    const QString& AMessage, const QString& AMark);

QString ReportBody(const QStringList& AHistory);

// "mailto:" with the subject and a short body, percent-encoded so that any character of
// the message arrives as it was.
QUrl ReportMailtoUrl(const QString& ARecipient, const QString& AMessage, const QString& AMark);

// The operating system's description, for example "Debian GNU/Linux 12 (bookworm)"
// followed by the kernel.
QString WindowsVersionText();
