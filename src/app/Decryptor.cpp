#include "app/Decryptor.h"

#include <QFile>
#include <QStringDecoder>

#include <stdexcept>

QByteArray Complemented(QByteArray bytes)
{
    for (char& b : bytes)
        b = static_cast<char>(~static_cast<unsigned char>(b));
    return bytes;
}

namespace {

QString decodeText(const QByteArray& plain)
{
    const auto encoding = QStringConverter::encodingForData(plain);
    QStringDecoder decoder(encoding.value_or(QStringConverter::Utf8));
    // The decoder drops the byte-order mark itself.
    return decoder.decode(plain);
}

} // namespace

void ReadDecrypted(const QString& fileName, QStringList& lines)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(
            QStringLiteral("Cannot read %1: %2").arg(fileName, file.errorString()).toStdString());
    const QByteArray scrambled = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw std::runtime_error(
            QStringLiteral("Cannot read %1: %2").arg(fileName, file.errorString()).toStdString());

    QString text = decodeText(Complemented(scrambled));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList plain = text.split(QLatin1Char('\n'));
    // A final line break ends the last line; it does not start another.
    if (!plain.isEmpty() && plain.constLast().isEmpty())
        plain.removeLast();
    lines += plain;
}
