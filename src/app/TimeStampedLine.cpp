#include "app/TimeStampedLine.h"

#include <QLocale>
#include <QRegularExpression>

namespace {

// The long time format without its time-zone name: the zone would repeat on every
// line and push the text to the right.
QString LongTimeFormat()
{
    static const QString format = [] {
        QString text = QLocale::system().timeFormat(QLocale::LongFormat);
        text.remove(QRegularExpression(QStringLiteral("\\s*t+\\s*$|^\\s*t+\\s*")));
        return text;
    }();
    return format;
}

} // namespace

QString TimeStampedLine(const QString& AText, const QTime& ATime)
{
    return QLocale::system().toString(ATime, LongTimeFormat()) + AText;
}
