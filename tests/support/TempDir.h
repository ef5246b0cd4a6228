#pragma once

#include <QString>

// A fresh folder under the system's temporary folder (or under parent when given),
// removed with its contents when the object goes.
class TempDir {
public:
    explicit TempDir(const QString& parent = QString());
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const QString& path() const { return m_path; }
    // path() + "/" + name
    QString file(const QString& name) const;
    // Writes bytes to path() + "/" + name and returns the full path.
    QString write(const QString& name, const QByteArray& bytes) const;

private:
    QString m_path;
};
