#pragma once

#include "platform/CurlFtpClient.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

// Client limits for tests: short enough that a misbehaving server costs a couple
// of seconds, long enough for a loaded machine.
inline FtpClientOptions TestFtpOptions(uint16_t port)
{
    FtpClientOptions options;
    options.port = port;
    options.connectTimeoutMs = 3000;
    options.responseTimeoutMs = 3000;
    options.stallTimeoutMs = 3000;
    options.transferTimeoutMs = 30000;
    return options;
}

// A raw LIST reply line or listing, as the scripted server's JSON wants it: each
// byte becomes the code point of the same value.
inline QString ScriptBytes(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes);
}
