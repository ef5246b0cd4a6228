#pragma once

#include <QByteArray>
#include <QString>
#include <QStringEncoder>

// Writes a text file line by line: each line converted to UTF-8 or to the ANSI code
// page (Windows-1252) and ended with CR LF, through a large buffer. The file is
// created anew (an existing one is replaced in place, so what was written before a
// failure stays on disk). Errors raise EKestrovaError with the system's message.
class TTextFileWriter {
public:
    enum class TEncoding { Utf8, Ansi };

    TTextFileWriter(const QString& path, TEncoding encoding);
    ~TTextFileWriter();
    TTextFileWriter(const TTextFileWriter&) = delete;
    TTextFileWriter& operator=(const TTextFileWriter&) = delete;

    void writeUtf8ByteOrderMark() { writeBytes("\xEF\xBB\xBF", 3); }
    void writeLine(const QString& line);
    // Writes the text converted, without a line end (it may hold CR LF itself).
    void writeText(const QString& text);
    void writeBytes(const char* data, qsizetype size);
    // Flushes and closes; raises if any of it failed. The destructor closes
    // silently.
    void close();

private:
    void flush();

    QString m_path;
    TEncoding m_encoding;
    int m_fd = -1;
    QByteArray m_buffer;
    QStringEncoder m_utf8{QStringEncoder::Utf8};
};
