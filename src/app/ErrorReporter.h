#pragma once

#include "app/MailSettings.h"

#include <QStringList>

// Sends an error report the user asked for: appends the report sections to AHistory,
// mails the history through ASettings' server and, when that fails, opens the user's
// mail program with a short message instead. The mail goes out on a worker thread while
// the calling thread keeps serving its events; the call returns when sending has ended.
// Returns true when the mail was sent.
bool SendErrorReport(QStringList& AHistory, const QStringList& AEventsLog, const QString& AMessage,
    const QString& AMark, const TMailSettings& ASettings);
