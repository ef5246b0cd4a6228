#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QString>
#include <functional>
#include <optional>

// Fetches the published version file: a fresh GET that no cache may answer or
// keep, through the system's proxy configuration. A proxy that asks for credentials
// (HTTP 407) gets them from the credentials prompt; the manager remembers accepted
// ones for the program's life. The download runs in a local event loop, so the
// windows keep painting, and never waits longer than the time-out.
//
// Whatever the server answers with an HTTP status is a body (an error page reads as
// an unrecognized answer later); transport failures, the time-out and declined
// proxy credentials raise EKestrovaError with their message.
class TVersionFileDownload {
public:
    // Asks for the proxy's user name and password; false declines.
    using CredentialsPrompt = std::function<bool(const QString& proxy, QString& user, QString& password)>;

    static constexpr int kDefaultTimeoutMs = 30000;
    // A version file is a few bytes; a larger answer is no version file.
    static constexpr qint64 kMaxBodySize = 64 * 1024;

    TVersionFileDownload();

    // Replaces the system's proxy configuration (tests, or an explicit proxy).
    void setProxy(const QNetworkProxy& proxy);
    void setTimeoutMs(int timeoutMs) { m_timeoutMs = timeoutMs; }
    void setCredentialsPrompt(CredentialsPrompt prompt) { m_prompt = std::move(prompt); }

    // The body, at most kMaxBodySize + 1 bytes. noCredentialsText is the message for
    // a proxy that wants credentials the user did not give.
    QByteArray fetch(const QString& url, const QString& noCredentialsText);

private:
    QNetworkAccessManager m_manager;
    CredentialsPrompt m_prompt;
    int m_timeoutMs = kDefaultTimeoutMs;
};
