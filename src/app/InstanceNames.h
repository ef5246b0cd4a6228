#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// Process-wide names that tell other programs that a copy of Kestrova runs: the
// names "KSVMUTEX" and "Global\KSVMUTEX". Each is an abstract-namespace Unix socket,
// bound and listening for the life of the object. Any local program can detect one
// (`ss -xl`, or a bind of the name that fails with EADDRINUSE); the kernel drops the
// name when the process ends, even after a crash, so nothing is left behind. A name
// that another process holds already is simply not held a second time: a second copy
// of the program starts normally.
class TInstanceNames {
public:
    explicit TInstanceNames(const QString& name);
    ~TInstanceNames();
    TInstanceNames(const TInstanceNames&) = delete;
    TInstanceNames& operator=(const TInstanceNames&) = delete;

    // The names this object managed to take.
    QStringList heldNames() const;

    // The two names made from the base name: the name itself and "Global\" + name.
    static QStringList namesFor(const QString& name);
    // True while some process holds the name.
    static bool isHeld(const QString& name);

private:
    struct Held {
        QString name;
        int socket;
    };
    std::vector<Held> m_held;
};
