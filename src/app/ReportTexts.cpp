#include "app/ReportTexts.h"

#include <QSysInfo>

const QString ReportSubject = QStringLiteral("ERROR REPORT | Quaverly");
const QString HistoryHeader = QStringLiteral("FFLOGGER HISTORY:");

namespace {

const QString Separator(25, '-');

} // namespace

void AppendReportSections(QStringList& AHistory, const QStringList& AEventsLog,
    const QString& AMessage, const QString& AMark)
{
    AHistory << Separator << QStringLiteral("ACTION HISTORY:") << AEventsLog << Separator
             << QStringLiteral("LAST ERROR MESSAGE: ") + AMessage
             << QStringLiteral("CODE LINE MARK: ") + AMark;
}

QString ReportBody(const QStringList& AHistory)
{
    const qsizetype first = AHistory.indexOf(HistoryHeader);
    return AHistory.mid(std::max<qsizetype>(first, 0)).join(QStringLiteral("\r\n"));
}

QUrl ReportMailtoUrl(const QString& ARecipient, const QString& AMessage, const QString& AMark)
{
    const QString body = AMessage + QStringLiteral(" ;CODE LINE MARK:") + AMark
        + QStringLiteral(";  YOUR COMMENT (DETAILS):");
    const QByteArray encoded = "mailto:" + QUrl::toPercentEncoding(ARecipient, "@") + "?subject="
        + QUrl::toPercentEncoding(ReportSubject) + "&body=" + QUrl::toPercentEncoding(body);
    return QUrl::fromEncoded(encoded, QUrl::StrictMode);
}

QString WindowsVersionText()
{
    const QString product = QSysInfo::prettyProductName();
    const QString kernel = QSysInfo::kernelType() + ' ' + QSysInfo::kernelVersion();
    return product.isEmpty() ? kernel.trimmed()
                             : product + QStringLiteral(" (") + kernel.trimmed() + ')';
}
