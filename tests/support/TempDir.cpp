#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <cstdlib>
#include <stdexcept>

TempDir::TempDir(const QString& parent)
{
    const QString base = parent.isEmpty() ? QDir::tempPath() : parent;
    QByteArray pattern = (base + QStringLiteral("/kestrova-test-XXXXXX")).toLocal8Bit();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = QString::fromLocal8Bit(pattern);
}

TempDir::~TempDir()
{
    QDir(m_path).removeRecursively();
}

QString TempDir::file(const QString& name) const
{
    return m_path + u'/' + name;
}

QString TempDir::write(const QString& name, const QByteArray& bytes) const
{
    const QString path = file(name);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file");
    return path;
}
