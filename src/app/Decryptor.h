#pragma once
// Reads the scrambled catalogue file: every byte is stored complemented.

#include <QString>
#include <QStringList>

// Appends the plain lines of the scrambled file to `lines`. A UTF-8 or UTF-16
// byte-order mark decides the encoding, otherwise the text is UTF-8. Throws
// std::runtime_error when the file cannot be read.
void ReadDecrypted(const QString& fileName, QStringList& lines);

// The plain bytes of a scrambled buffer and the other way round (the same operation).
QByteArray Complemented(QByteArray bytes);
