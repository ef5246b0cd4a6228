#include "store/CompoundFile.h"

#include "files/AtomicFile.h"
#include "model/Error.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-output.h>
#include <unistd.h>

namespace {

constexpr unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr qsizetype kBufferSize = 256 * 1024;

[[noreturn]] void RaiseErrno(const QString& what, int error)
{
    throw EKestrovaError(what + QStringLiteral(": ") + ErrnoText(error), error);
}

// Takes the GError's message (and frees it), or the fallback when there is none.
QString TakeMessage(GError* error, const QString& fallback)
{
    if (!error)
        return fallback;
    QString message = QString::fromUtf8(error->message);
    g_error_free(error);
    return message;
}

} // namespace

// ---- reading ---------------------------------------------------------------

TCompoundStreamReader::TCompoundStreamReader(_GsfInput* input, const QString& name)
    : m_input(input), m_name(name),
      m_size(static_cast<uint64_t>(std::max<gsf_off_t>(gsf_input_size(input), 0)))
{
}

TCompoundStreamReader::~TCompoundStreamReader()
{
    g_object_unref(m_input);
}

void TCompoundStreamReader::refill()
{
    const uint64_t left = static_cast<uint64_t>(std::max<gsf_off_t>(gsf_input_remaining(m_input), 0));
    const auto chunk = static_cast<qsizetype>(std::min<uint64_t>(left, kBufferSize));
    m_buffer.resize(chunk);
    m_bufferPos = 0;
    if (chunk == 0)
        return;
    if (!gsf_input_read(m_input, static_cast<size_t>(chunk), reinterpret_cast<guint8*>(m_buffer.data()))) {
        m_buffer.clear();
        throw EKestrovaError(
            QStringLiteral("The stream \"%1\" is damaged: reading %2 bytes at offset %3 failed")
                .arg(m_name)
                .arg(chunk)
                .arg(m_consumed));
    }
}

void TCompoundStreamReader::read(char* target, size_t count)
{
    if (count > remaining())
        throw EKestrovaError(
            QStringLiteral("The stream \"%1\" ends after %2 bytes; %3 more were expected at offset %4")
                .arg(m_name)
                .arg(m_size)
                .arg(count)
                .arg(m_consumed));
    while (count > 0) {
        if (m_bufferPos == m_buffer.size())
            refill();
        const auto part = std::min<size_t>(count, static_cast<size_t>(m_buffer.size() - m_bufferPos));
        std::memcpy(target, m_buffer.constData() + m_bufferPos, part);
        target += part;
        count -= part;
        m_bufferPos += static_cast<qsizetype>(part);
        m_consumed += part;
    }
}

QByteArray TCompoundStreamReader::readAll(uint64_t limit)
{
    if (remaining() > limit)
        throw EKestrovaError(
            QStringLiteral("The stream \"%1\" is implausibly large (%2 bytes)").arg(m_name).arg(m_size));
    // Grows with what was read, so a damaged size field costs no memory up front.
    QByteArray bytes;
    while (remaining() > 0) {
        const auto part = static_cast<qsizetype>(std::min<uint64_t>(remaining(), kBufferSize));
        const qsizetype at = bytes.size();
        bytes.resize(at + part);
        read(bytes.data() + at, static_cast<size_t>(part));
    }
    return bytes;
}

TCompoundFileReader::TCompoundFileReader(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    FILE* file = std::fopen(name.constData(), "rb");
    if (!file)
        RaiseErrno(QStringLiteral("Cannot open \"%1\"").arg(path), errno);

    // What the platform's storage check looks at: the eight signature bytes.
    unsigned char signature[sizeof kSignature] = {};
    const size_t got = std::fread(signature, 1, sizeof signature, file);
    const int readError = std::ferror(file) ? errno : 0;
    if (readError != 0) {
        std::fclose(file);
        RaiseErrno(QStringLiteral("Cannot read \"%1\"").arg(path), readError);
    }
    if (got != sizeof signature || std::memcmp(signature, kSignature, sizeof signature) != 0) {
        std::fclose(file);
        // Exact text: ends "Unable to open file: ..." when a results file is not one; the
        // results tests compare the whole message.
        throw EKestrovaError(QStringLiteral("file is corrupted"));
    }
    std::rewind(file);

    GError* error = nullptr;
    GsfInput* input = gsf_input_stdio_new_FILE(name.constData(), file, FALSE); // owns the FILE now
    if (!input) {
        std::fclose(file);
        throw EKestrovaError(QStringLiteral("Cannot read \"%1\"").arg(path));
    }
    m_infile = gsf_infile_msole_new(input, &error);
    g_object_unref(input); // the storage holds its own reference
    if (!m_infile)
        throw EKestrovaError(QStringLiteral("\"%1\" is not a readable compound file: %2")
                                 .arg(path, TakeMessage(error, QStringLiteral("unknown error"))));
}

TCompoundFileReader::~TCompoundFileReader()
{
    if (m_infile)
        g_object_unref(m_infile);
}

std::unique_ptr<TCompoundStreamReader> TCompoundFileReader::openStream(const char* name)
{
    GsfInput* child = gsf_infile_child_by_name(m_infile, name);
    if (!child)
        return nullptr;
    // A storage of that name is no stream.
    if (GSF_IS_INFILE(child) && gsf_infile_num_children(GSF_INFILE(child)) >= 0) {
        g_object_unref(child);
        return nullptr;
    }
    return std::make_unique<TCompoundStreamReader>(child, QString::fromLatin1(name));
}

std::unique_ptr<TCompoundStreamReader> TCompoundFileReader::requireStream(const char* name)
{
    auto stream = openStream(name);
    // Exact text: the results tests compare this message, which ResultsFile.cpp
    // repeats for the record stream.
    if (!stream)
        throw EKestrovaError(QStringLiteral("The file holds no stream \"%1\"").arg(QLatin1String(name)));
    return stream;
}

// ---- writing ---------------------------------------------------------------

TCompoundFileWriter::TCompoundFileWriter(const QString& path)
    : m_target(path), m_atomic(std::make_unique<TAtomicFile>(path, TAtomicFile::TPermissions::Keep))
{
    // libgsf writes through a FILE of its own descriptor, so that closing the FILE
    // leaves the temporary file to the TAtomicFile.
    const int fd = ::dup(m_atomic->descriptor());
    m_file = fd >= 0 ? fdopen(fd, "w+b") : nullptr;
    if (!m_file) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        discard();
        RaiseErrno(QStringLiteral("Cannot write \"%1\"").arg(m_target), error);
    }
    m_sink = gsf_output_stdio_new_FILE(QFile::encodeName(path).constData(), m_file, TRUE);
    if (!m_sink) {
        discard();
        throw EKestrovaError(QStringLiteral("Cannot create \"%1\"").arg(m_target));
    }
    m_outfile = gsf_outfile_msole_new(m_sink);
    if (!m_outfile) {
        discard();
        throw EKestrovaError(QStringLiteral("Cannot create a compound file in \"%1\"").arg(m_target));
    }
    m_buffer.reserve(kBufferSize);
}

TCompoundFileWriter::~TCompoundFileWriter()
{
    discard();
}

void TCompoundFileWriter::discard()
{
    if (m_stream) {
        gsf_output_close(m_stream);
        g_object_unref(m_stream);
        m_stream = nullptr;
    }
    if (m_outfile) {
        // Closing writes the storage's directory; its result no longer matters.
        gsf_output_close(GSF_OUTPUT(m_outfile));
        g_object_unref(m_outfile);
        m_outfile = nullptr;
    }
    if (m_sink) {
        if (!gsf_output_is_closed(m_sink))
            gsf_output_close(m_sink);
        g_object_unref(m_sink);
        m_sink = nullptr;
    }
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    m_atomic.reset(); // removes the temporary file unless it replaced the target
}

void TCompoundFileWriter::fail(_GsfOutput* output, const QString& what)
{
    QString reason;
    if (const GError* error = output ? gsf_output_error(output) : nullptr)
        reason = QString::fromUtf8(error->message);
    if (reason.isEmpty() && m_sink && gsf_output_error(m_sink))
        reason = QString::fromUtf8(gsf_output_error(m_sink)->message);
    if (reason.isEmpty() && m_file && std::ferror(m_file))
        reason = ErrnoText(errno);
    discard();
    throw EKestrovaError(reason.isEmpty() ? what : what + QStringLiteral(": ") + reason);
}

void TCompoundFileWriter::beginStream(const char* name)
{
    m_streamName = QString::fromLatin1(name);
    m_stream = gsf_outfile_new_child(m_outfile, name, FALSE);
    if (!m_stream)
        fail(GSF_OUTPUT(m_outfile), QStringLiteral("Cannot create the stream \"%1\"").arg(m_streamName));
}

void TCompoundFileWriter::flushBuffer()
{
    if (m_buffer.isEmpty())
        return;
    if (!gsf_output_write(m_stream, static_cast<size_t>(m_buffer.size()),
                          reinterpret_cast<const guint8*>(m_buffer.constData())))
        fail(m_stream, QStringLiteral("Cannot write the stream \"%1\"").arg(m_streamName));
    m_buffer.resize(0);
}

void TCompoundFileWriter::write(const char* data, size_t count)
{
    if (m_buffer.size() + static_cast<qsizetype>(count) > kBufferSize)
        flushBuffer();
    if (static_cast<qsizetype>(count) >= kBufferSize) {
        if (!gsf_output_write(m_stream, count, reinterpret_cast<const guint8*>(data)))
            fail(m_stream, QStringLiteral("Cannot write the stream \"%1\"").arg(m_streamName));
        return;
    }
    m_buffer.append(data, static_cast<qsizetype>(count));
}

void TCompoundFileWriter::endStream()
{
    flushBuffer();
    const bool closed = gsf_output_close(m_stream);
    if (!closed)
        fail(m_stream, QStringLiteral("Cannot write the stream \"%1\"").arg(m_streamName));
    g_object_unref(m_stream);
    m_stream = nullptr;
}

void TCompoundFileWriter::commit()
{
    if (!gsf_output_close(GSF_OUTPUT(m_outfile)))
        fail(GSF_OUTPUT(m_outfile), QStringLiteral("Cannot write \"%1\"").arg(m_target));
    g_object_unref(m_outfile);
    m_outfile = nullptr;
    if (!gsf_output_is_closed(m_sink) && !gsf_output_close(m_sink))
        fail(m_sink, QStringLiteral("Cannot write \"%1\"").arg(m_target));
    g_object_unref(m_sink);
    m_sink = nullptr;

    // libgsf leaves the data in the C library's buffer; flushed here, then synced
    // to the disk by the TAtomicFile before the rename.
    const int flushed = std::fflush(m_file) == 0 ? 0 : errno;
    const int closed = std::fclose(m_file) == 0 ? 0 : errno;
    m_file = nullptr;
    if (flushed != 0 || closed != 0) {
        discard();
        RaiseErrno(QStringLiteral("Cannot write \"%1\"").arg(m_target), flushed != 0 ? flushed : closed);
    }
    try {
        m_atomic->finish();
        m_atomic->replace();
    } catch (const EKestrovaError&) {
        discard();
        throw;
    }
}
