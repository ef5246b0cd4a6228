#include "model/IpAddress.h"

#include "model/AnsiCodec.h"

#include <arpa/inet.h>

QString IpToText(uint32_t addressNetworkOrder)
{
    char text[INET_ADDRSTRLEN] = {};
    in_addr address{};
    address.s_addr = addressNetworkOrder;
    inet_ntop(AF_INET, &address, text, sizeof text);
    return QString::fromLatin1(text);
}

uint32_t TextToIp(const QString& text)
{
    const QByteArray bytes = ToAnsi(text);
    if (bytes.contains('\0'))
        return kInaddrNone;
    return inet_addr(bytes.constData());
}
