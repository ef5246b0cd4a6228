#pragma once

#include <QByteArray>

// The legacy account file's layout: a record is the computer, the user name and the
// password, each in a 64-byte field padded with NUL bytes (a longer text is cut).
inline QByteArray LegacyAccountField(const QByteArray& text)
{
    QByteArray field = text.left(64);
    field.append(64 - field.size(), '\0');
    return field;
}

inline QByteArray LegacyAccountRecord(const QByteArray& computer, const QByteArray& user,
                                      const QByteArray& password)
{
    return LegacyAccountField(computer) + LegacyAccountField(user) + LegacyAccountField(password);
}
