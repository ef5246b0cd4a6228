#pragma once

#include <QByteArray>
#include <QString>

// The "ANSI code page" of the files and protocols the program shares with Windows
// machines: Windows-1252. Characters it cannot hold become '?', as the Windows
// converter writes them; the five bytes 1252 leaves undefined map to U+0081 etc.
QByteArray ToAnsi(const QString& text);
QString FromAnsi(const char* bytes, qsizetype length);
inline QString FromAnsi(const QByteArray& bytes)
{
    return FromAnsi(bytes.constData(), bytes.size());
}
