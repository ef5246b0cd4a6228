#include "files/TextFileWriter.h"

#include "model/AnsiCodec.h"
#include "model/Error.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr qsizetype kBufferSize = 1 << 20;

[[noreturn]] void RaiseErrno(const QString& what, int error)
{
    throw EKestrovaError(what + QStringLiteral(": ") + ErrnoText(error), error);
}

} // namespace

TTextFileWriter::TTextFileWriter(const QString& path, TEncoding encoding) : m_path(path), m_encoding(encoding)
{
    m_fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (m_fd < 0)
        RaiseErrno(QStringLiteral("Cannot create \"%1\"").arg(path), errno);
    m_buffer.reserve(kBufferSize + 4096);
}

TTextFileWriter::~TTextFileWriter()
{
    if (m_fd >= 0) {
        try {
            flush();
        } catch (const EKestrovaError&) {
            // Closing after an earlier failure; that failure was reported.
        }
        ::close(m_fd);
    }
}

void TTextFileWriter::writeBytes(const char* data, qsizetype size)
{
    m_buffer.append(data, size);
    if (m_buffer.size() >= kBufferSize)
        flush();
}

void TTextFileWriter::writeText(const QString& text)
{
    if (m_encoding == TEncoding::Utf8) {
        // Encoded straight into the buffer: reports write millions of rows.
        const qsizetype at = m_buffer.size();
        m_buffer.resize(at + m_utf8.requiredSpace(text.size()));
        char* end = m_utf8.appendToBuffer(m_buffer.data() + at, text);
        m_buffer.resize(end - m_buffer.constData());
    } else {
        m_buffer.append(ToAnsi(text));
    }
    if (m_buffer.size() >= kBufferSize)
        flush();
}

void TTextFileWriter::writeLine(const QString& line)
{
    writeText(line);
    // Exact text: report lines end in CRLF, as earlier versions wrote them; the report
    // tests compare files byte for byte.
    writeBytes("\r\n", 2);
}

void TTextFileWriter::flush()
{
    const char* data = m_buffer.constData();
    qsizetype left = m_buffer.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            m_buffer.clear();
            RaiseErrno(QStringLiteral("Cannot write \"%1\"").arg(m_path), error);
        }
        data += written;
        left -= written;
    }
    m_buffer.resize(0);
}

void TTextFileWriter::close()
{
    flush();
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        RaiseErrno(QStringLiteral("Cannot write \"%1\"").arg(m_path), errno);
}
