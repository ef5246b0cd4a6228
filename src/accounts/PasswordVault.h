#pragma once

#include <QString>

// The answer of a password vault to one request.
struct TVaultReply {
    enum class TStatus {
        Done,     // read: the entry is there (Password holds it); write, remove: done
        NotFound, // read, remove: no entry under that key
        Failed    // no answer, refused or timed out (Error says which)
    };
    TStatus Status = TStatus::Failed;
    QString Password;
    QString Error;

    bool done() const { return Status == TStatus::Done; }
};

// A store for passwords outside the settings file, addressed by a key of our own
// (the desktop's Secret Service in the program, a map in the tests). Every call
// waits for its answer with a time-out and reports a failure instead of throwing.
// Calls come from the main thread only.
class TPasswordVault {
public:
    virtual ~TPasswordVault() = default;

    // How the window names the store, e.g. "the desktop's keyring (Secret Service)".
    virtual QString Name() const = 0;
    // Whether the store answers at all (a server without a session bus or a keyring
    // daemon does not). May take up to one request's time-out.
    virtual bool Answers() = 0;
    virtual TVaultReply Read(const QString& key) = 0;
    virtual TVaultReply Write(const QString& key, const QString& password) = 0;
    virtual TVaultReply Remove(const QString& key) = 0;
};
