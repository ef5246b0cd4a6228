#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Runs a program of the test machine (an independent reader or writer, a fixture
// script) and waits for it; the tests check its exit code and output.
struct TProgramResult {
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;
};

TProgramResult RunProgram(const QString& program, const QStringList& arguments, int timeoutMs = 120000);

// tests/fixtures/<name>
QString FixturePath(const QString& name);
