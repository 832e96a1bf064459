#include "ReportFixtures.h"

#include "app/ErrorReporter.h"
#include "app/MailSettings.h"
#include "app/ReportTexts.h"

#include <QJsonArray>
#include <QSettings>
#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

TMailSettings settingsFor(int port)
{
    TMailSettings settings;
    settings.Server = QStringLiteral("127.0.0.1");
    settings.Port = port;
    settings.TimeoutSeconds = 10;
    return settings;
}

QString lines(const QStringList& list)
{
    return list.join(QStringLiteral("\r\n"));
}

// The body as the receiving side decoded it, with its line ends as sent.
QString receivedBody(const QJsonObject& message)
{
    return message[QStringLiteral("body")]
        .toString()
        .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace('\n', QStringLiteral("\r\n"))
        .trimmed();
}

TEST(ErrorReporter, ReportsArriveWholeAndLaterOnesCarryEarlierSections)
{
    LocalSmtpServer server;
    RecordedUrls desktop;
    const TMailSettings settings = settingsFor(server.port());
    QStringList history { HistoryHeader, QStringLiteral("#12.5: Opened «Grüße.mp3»") };
    const QStringList events { QStringLiteral("10:00:01-> Conversion started."),
        QStringLiteral("10:00:02-> Failed & stopped") };

    ASSERT_TRUE(SendErrorReport(history, events, QStringLiteral("Cannot set output file: ä"),
        QStringLiteral("CLM_SetOutputFile"), settings));
    const QStringList first = history;
    history << QStringLiteral("#12.3: later line");
    ASSERT_TRUE(SendErrorReport(
        history, {}, QStringLiteral("Second"), QStringLiteral("CLM_Terminate"), settings));

    ASSERT_EQ(server.count(), 2);
    EXPECT_TRUE(desktop.urls.empty());
    const QJsonObject mail = server.message(1);
    EXPECT_EQ(
        mail[QStringLiteral("subject")].toString(), QStringLiteral("ERROR REPORT | Quaverly"));
    EXPECT_EQ(mail[QStringLiteral("mail_from")].toString(), settings.Mailbox);
    EXPECT_EQ(mail[QStringLiteral("from")].toString(), settings.Mailbox);
    EXPECT_EQ(mail[QStringLiteral("to")].toString(), settings.Recipient);
    EXPECT_EQ(mail[QStringLiteral("rcpt_tos")].toArray(), QJsonArray { settings.Recipient });
    const QString separator(25, '-');
    EXPECT_EQ(receivedBody(mail),
        lines({ HistoryHeader, QStringLiteral("#12.5: Opened «Grüße.mp3»"), separator,
            QStringLiteral("ACTION HISTORY:"), events[0], events[1], separator,
            QStringLiteral("LAST ERROR MESSAGE: Cannot set output file: ä"),
            QStringLiteral("CODE LINE MARK: CLM_SetOutputFile") }));
    // An empty events log leaves the heading directly above the separator.
    EXPECT_EQ(receivedBody(server.message(2)),
        lines(first
            + QStringList { QStringLiteral("#12.3: later line"), separator,
                QStringLiteral("ACTION HISTORY:"), separator,
                QStringLiteral("LAST ERROR MESSAGE: Second"),
                QStringLiteral("CODE LINE MARK: CLM_Terminate") }));
}

TEST(ErrorReporter, StartTlsIsUsedWhenOfferedAndAnUntrustedServerGetsNoCredentials)
{
    LocalSmtpServer server(true);
    RecordedUrls desktop;
    TMailSettings settings = settingsFor(server.port());
    QStringList history { HistoryHeader };

    // Without trusting the test's certificate the exchange stops before logging in.
    EXPECT_FALSE(
        SendErrorReport(history, {}, QStringLiteral("m"), QStringLiteral("CLM_A"), settings));
    EXPECT_EQ(server.count(), 0);
    EXPECT_EQ(desktop.urls.size(), 1u);

    settings.CaFile = server.caFile();
    ASSERT_TRUE(
        SendErrorReport(history, {}, QStringLiteral("m"), QStringLiteral("CLM_B"), settings));
    ASSERT_EQ(server.count(), 1);
    const QJsonObject mail = server.message(1);
    EXPECT_TRUE(mail[QStringLiteral("tls")].toBool());
    EXPECT_EQ(mail[QStringLiteral("login")].toString(), settings.Mailbox);
    EXPECT_EQ(mail[QStringLiteral("password")].toString(), QStringLiteral("kandrowe"));
    EXPECT_TRUE(receivedBody(mail).endsWith(QStringLiteral("CODE LINE MARK: CLM_B")));
}

TEST(ErrorReporter, UnreachableServerOpensThePercentEncodedMailtoInstead)
{
    RecordedUrls desktop;
    const QString message = QStringLiteral("Error open file: a&b=c #1 50%\nline two «ü» + end");
    struct Case {
        const char* name;
        bool listening;
    };
    for (const Case c : { Case { "refused", false }, Case { "silent", true } }) {
        SilentPort port(c.listening);
        TMailSettings settings = settingsFor(port.port());
        settings.TimeoutSeconds = 1;
        QStringList history { HistoryHeader };
        desktop.urls.clear();
        EXPECT_FALSE(
            SendErrorReport(history, {}, message, QStringLiteral("CLM_FFPlayer2Open"), settings))
            << c.name;
        // The sections stay in the history even though the mail did not go out.
        EXPECT_EQ(history.last(), QStringLiteral("CODE LINE MARK: CLM_FFPlayer2Open"));

        ASSERT_EQ(desktop.urls.size(), 1u) << c.name;
        const QUrl url = desktop.urls[0];
        EXPECT_EQ(url.scheme(), QStringLiteral("mailto"));
        EXPECT_EQ(url.path(), settings.Recipient);
        const QUrlQuery query(url);
        EXPECT_EQ(query.queryItems(QUrl::FullyDecoded).size(), 2);
        EXPECT_EQ(query.queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded),
            QStringLiteral("ERROR REPORT | Quaverly"));
        EXPECT_EQ(query.queryItemValue(QStringLiteral("body"), QUrl::FullyDecoded),
            message
                + QStringLiteral(" ;CODE LINE MARK:CLM_FFPlayer2Open;  YOUR COMMENT (DETAILS):"));
    }
}

TEST(MailSettings, StoredValuesOverrideDefaultsAndBadOnesFallBack)
{
    testsupport::TempDir dir;
    QSettings store(QString::fromStdString((dir / "settings.ini").string()), QSettings::IniFormat);
    const TMailSettings defaults = TMailSettings::Load(store);
    EXPECT_EQ(defaults.Port, 26);
    EXPECT_EQ(defaults.Password, QStringLiteral("kandrowe"));
    EXPECT_FALSE(defaults.Server.isEmpty());
    EXPECT_FALSE(defaults.Mailbox.isEmpty());
    EXPECT_FALSE(defaults.Recipient.isEmpty());

    store.setValue(QStringLiteral("Report/Server"), QStringLiteral("smtp.example.org"));
    store.setValue(QStringLiteral("Report/Port"), QStringLiteral("587"));
    store.setValue(QStringLiteral("Report/Timeout"), QStringLiteral("-3"));
    store.setValue(QStringLiteral("Report/Recipient"), QStringList { "a", "b" });
    store.sync();
    QSettings reread(store.fileName(), QSettings::IniFormat);
    const TMailSettings loaded = TMailSettings::Load(reread);
    EXPECT_EQ(loaded.Server, QStringLiteral("smtp.example.org"));
    EXPECT_EQ(loaded.Port, 587);
    EXPECT_EQ(loaded.TimeoutSeconds, defaults.TimeoutSeconds);
    EXPECT_EQ(loaded.Recipient, defaults.Recipient);
    EXPECT_EQ(loaded.Mailbox, defaults.Mailbox);

    store.setValue(QStringLiteral("Report/Port"), QStringLiteral("many"));
    EXPECT_EQ(TMailSettings::Load(store).Port, 26);
}

} // namespace
