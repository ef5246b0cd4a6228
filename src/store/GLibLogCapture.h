#pragma once

#include <QString>
#include <QStringList>

// While an object of this class lives, GLib warnings and criticals that the calling
// thread raises (libgsf reports damaged compound files that way) are collected here
// instead of being printed on stderr, so that they can become part of the error
// message. Messages of other threads, and all messages while no capture is active on
// a thread, go to the handler that was installed before. Captures may nest; the
// innermost collects.
class TGLibLogCapture {
public:
    TGLibLogCapture();
    ~TGLibLogCapture();
    TGLibLogCapture(const TGLibLogCapture&) = delete;
    TGLibLogCapture& operator=(const TGLibLogCapture&) = delete;

    const QStringList& messages() const { return m_messages; }
    // " (" + the messages joined by "; " + ")", or empty when there were none.
    QString details() const;
    // The message with the details appended.
    QString withDetails(const QString& message) const { return message + details(); }

    void add(const QString& message);

private:
    QStringList m_messages;
    TGLibLogCapture* m_outer;
};
