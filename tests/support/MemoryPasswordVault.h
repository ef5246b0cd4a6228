#pragma once

#include "accounts/PasswordVault.h"

#include <QMap>

// A password vault in memory that can stop answering or refuse writes, and counts
// the requests it is given, so tests can check what a save or load asks for.
class MemoryPasswordVault : public TPasswordVault {
public:
    QString Name() const override { return QStringLiteral("the test vault"); }
    bool Answers() override;
    TVaultReply Read(const QString& key) override;
    TVaultReply Write(const QString& key, const QString& password) override;
    TVaultReply Remove(const QString& key) override;

    QMap<QString, QString> entries;
    bool answers = true;       // false: Answers() is false and every request fails
    bool refuseWrites = false; // writes fail, everything else works
    int probes = 0;
    int reads = 0;
    int writes = 0;
    int removes = 0;
};
