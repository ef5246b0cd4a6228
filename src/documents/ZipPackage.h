#pragma once

#include "documents/ExtractionBudget.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>

struct zip;

// A zip archive read from memory with libzip: the container of Office Open XML and
// OpenDocument files. Entries are unpacked in chunks and every chunk is counted
// against the budget, so a small archive that unpacks to gigabytes (a zip bomb) ends
// with a reason instead of filling memory; an archive with more entries than the
// budget allows is refused when opened. Encrypted entries are refused with a reason.
class TZipPackage {
public:
    static constexpr qsizetype kChunkSize = 64 * 1024;

    // bytes must outlive the package. error() is empty when the archive opened.
    TZipPackage(QByteArrayView bytes, TExtractionBudget& budget);
    ~TZipPackage();
    TZipPackage(const TZipPackage&) = delete;
    TZipPackage& operator=(const TZipPackage&) = delete;

    const QString& error() const { return m_error; }
    // Entry names in archive order.
    const QStringList& names() const { return m_names; }
    bool contains(const QString& name) const { return m_names.contains(name); }

    // Hands the entry's unpacked bytes to sink chunk by chunk. False, with error()
    // saying why, on a damaged or encrypted entry, an exhausted budget or a sink that
    // returns false (the sink's own reason is the caller's to keep).
    bool read(const QString& name, const std::function<bool(QByteArrayView)>& sink);
    // The first maxBytes unpacked bytes of a small entry (a mimetype, a manifest);
    // empty when it cannot be read.
    QByteArray readHead(const QString& name, qsizetype maxBytes);

private:
    TExtractionBudget& m_budget;
    zip* m_archive = nullptr;
    QStringList m_names;
    QString m_error;
};
