#include "app/InstanceNames.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// The abstract address: a leading zero byte, then the name's UTF-8 bytes (no
// terminator; the address length says where the name ends).
socklen_t AbstractAddress(const QString& name, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    const QByteArray bytes = name.toUtf8();
    const size_t length = std::min(static_cast<size_t>(bytes.size()), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, bytes.constData(), length);
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
}

} // namespace

TInstanceNames::TInstanceNames(const QString& name)
{
    for (const QString& each : namesFor(name)) {
        // Close-on-exec: child processes (the SMB agents) must not keep the name alive.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            continue;
        sockaddr_un address;
        const socklen_t length = AbstractAddress(each, address);
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0 || ::listen(fd, 1) != 0) {
            ::close(fd); // held elsewhere or not possible: ignored, the program runs anyway
            continue;
        }
        m_held.push_back(Held{each, fd});
    }
}

TInstanceNames::~TInstanceNames()
{
    for (const Held& held : m_held)
        ::close(held.socket);
}

QStringList TInstanceNames::heldNames() const
{
    QStringList names;
    for (const Held& held : m_held)
        names.append(held.name);
    return names;
}

QStringList TInstanceNames::namesFor(const QString& name)
{
    // Exact text: README names both forms ("KSVMUTEX" and "Global\KSVMUTEX").
    return {name, QStringLiteral("Global\\") + name};
}

bool TInstanceNames::isHeld(const QString& name)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_un address;
    const socklen_t length = AbstractAddress(name, address);
    // Binding the name ourselves is the test that touches the holder least: it fails
    // with EADDRINUSE exactly while someone holds it (a successful bind is undone at once).
    const bool held =
        ::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0 && errno == EADDRINUSE;
    ::close(fd);
    return held;
}
