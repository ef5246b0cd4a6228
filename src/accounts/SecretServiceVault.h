#pragma once

#include "accounts/PasswordVault.h"

namespace QKeychain {
class Job;
}

// The desktop's keyring through the Secret Service (GNOME Keyring, KWallet) by way of
// qtkeychain, under the service name given (the program uses "Kestrova").
//
// qtkeychain answers through the event loop, so each call runs a local event loop
// until the answer or the time-out; it needs a QCoreApplication and the main thread.
// A job that times out is left to finish on its own and delete itself.
class TSecretServiceVault : public TPasswordVault {
public:
    explicit TSecretServiceVault(QString service, int timeoutMs = 30000, int probeTimeoutMs = 5000);

    QString Name() const override;
    // Reads an entry nobody writes: "not found" is an answer, no backend, no session
    // bus or a time-out is none.
    bool Answers() override;
    TVaultReply Read(const QString& key) override;
    TVaultReply Write(const QString& key, const QString& password) override;
    TVaultReply Remove(const QString& key) override;

private:
    TVaultReply Run(QKeychain::Job* job, int timeoutMs) const;

    QString m_service;
    int m_timeoutMs;
    int m_probeTimeoutMs;
};
