#include "FuzzInput.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

QByteArray FuzzBytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

QString WriteFuzzInputFile(const uint8_t* data, size_t size)
{
    static const std::unique_ptr<QTemporaryDir> folder = [] {
        auto made =
            std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/kestrova-fuzz-XXXXXX"));
        if (!made->isValid())
            std::abort();
        return made;
    }();
    const QString path = folder->filePath(QStringLiteral("input"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
            static_cast<qint64>(size))
        std::abort();
    return path;
}
