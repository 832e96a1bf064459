#include "app/ActionHistory.h"

#include "app/ReportTexts.h"

TActionHistory::TActionHistory()
    : FLines { HistoryHeader }
{
}

void TActionHistory::FFLoggerLog(
    const void*, uint32_t AThreadID, TLogLevel ALogLevel, const std::string& ALogMsg)
{
    FLines.append(QStringLiteral("#%1.%2: %3")
                      .arg(AThreadID)
                      .arg(static_cast<int>(ALogLevel))
                      .arg(QString::fromStdString(ALogMsg)));
}

TLogEvent TActionHistory::Handler()
{
    return [this](const void* ASender, uint32_t AThreadID, TLogLevel ALogLevel,
               const std::string& ALogMsg) { FFLoggerLog(ASender, AThreadID, ALogLevel, ALogMsg); };
}
