#include "app/MailSettings.h"

#include <QSettings>

namespace {

const QString Group = QStringLiteral("Report");

QString ReadText(const QSettings& ASettings, const QString& AKey, const QString& ADefault)
{
    const QVariant value = ASettings.value(AKey);
    return value.typeId() == QMetaType::QString ? value.toString() : ADefault;
}

int ReadNumber(const QSettings& ASettings, const QString& AKey, int ADefault, int AMin, int AMax)
{
    bool ok = false;
    const int value = ASettings.value(AKey).toInt(&ok);
    return ok && value >= AMin && value <= AMax ? value : ADefault;
}

} // namespace

TMailSettings TMailSettings::Load(QSettings& ASettings)
{
    const TMailSettings defaults;
    TMailSettings result;
    ASettings.beginGroup(Group);
    result.Server = ReadText(ASettings, QStringLiteral("Server"), defaults.Server);
    result.Port = ReadNumber(ASettings, QStringLiteral("Port"), defaults.Port, 1, 65535);
    result.Mailbox = ReadText(ASettings, QStringLiteral("Mailbox"), defaults.Mailbox);
    result.Password = ReadText(ASettings, QStringLiteral("Password"), defaults.Password);
    result.Recipient = ReadText(ASettings, QStringLiteral("Recipient"), defaults.Recipient);
    result.CaFile = ReadText(ASettings, QStringLiteral("CaFile"), defaults.CaFile);
    result.TimeoutSeconds
        = ReadNumber(ASettings, QStringLiteral("Timeout"), defaults.TimeoutSeconds, 1, 3600);
    ASettings.endGroup();
    return result;
}
