#include "app/ActionHistory.h"

QString HistoryLine(uint32_t AThreadID, TLogLevel ALogLevel, const std::string& ALogMsg)
{
    return QStringLiteral("#%1.%2: %3")
        .arg(AThreadID)
        .arg(static_cast<int>(ALogLevel))
        .arg(QString::fromStdString(ALogMsg));
}
