#pragma once

#include "engine/ports/Result.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <optional>
#include <stop_token>

// One SOAP request by HTTP POST over a plain TCP socket: what the WS-Discovery
// metadata exchange needs, and no more (the core links only QtCore). The URL's
// host must be a numeric address (XAddrs carry addresses, and a name lookup has no
// deadline). The whole exchange shares one time-out and returns within a few
// milliseconds of a stop request; it blocks the calling thread. Replies over
// kMaxReplySize are refused.
struct THttpReply {
    int status = 0;
    QByteArray body;
};

constexpr int kMaxHttpReplySize = 96 * 1024;

Result<THttpReply> PostSoap(const QString& url, const QByteArray& body, std::chrono::milliseconds timeout,
                            std::stop_token stop);

// The body of a complete HTTP/1.x response (Content-Length, chunked, or up to the
// end of the connection when complete is true); nullopt while more bytes are
// needed or when the response is malformed (error says which).
std::optional<THttpReply> ParseHttpResponse(const QByteArray& data, bool complete, QString& error);
