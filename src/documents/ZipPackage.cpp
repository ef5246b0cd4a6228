#include "documents/ZipPackage.h"

#include <algorithm>
#include <memory>
#include <zip.h>

namespace {

QString ZipErrorText(zip_error_t* error)
{
    return QString::fromUtf8(zip_error_strerror(error));
}

struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

} // namespace

TZipPackage::TZipPackage(QByteArrayView bytes, TExtractionBudget& budget) : m_budget(budget)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source =
        zip_source_buffer_create(bytes.data(), static_cast<zip_uint64_t>(bytes.size()), 0, &error);
    if (source)
        m_archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!m_archive) {
        m_error = QStringLiteral("damaged zip container (%1)").arg(ZipErrorText(&error));
        if (source)
            zip_source_free(source);
        zip_error_fini(&error);
        return;
    }
    zip_error_fini(&error);

    const zip_int64_t count = zip_get_num_entries(m_archive, 0);
    if (count > budget.MaxZipEntries) {
        // Exact text: a reason in the document log line, like those of ExtractionBudget.
        m_error = QStringLiteral("its zip container holds %1 entries, more than %2")
                      .arg(QString::number(count), QString::number(budget.MaxZipEntries));
        return;
    }
    m_names.reserve(count);
    for (zip_int64_t index = 0; index < count; ++index) {
        const char* name = zip_get_name(m_archive, static_cast<zip_uint64_t>(index), ZIP_FL_ENC_GUESS);
        m_names.append(name ? QString::fromUtf8(name) : QString());
    }
}

TZipPackage::~TZipPackage()
{
    if (m_archive)
        zip_discard(m_archive);
}

bool TZipPackage::read(const QString& name, const std::function<bool(QByteArrayView)>& sink)
{
    if (!m_archive)
        return false;
    const qsizetype index = m_names.indexOf(name);
    if (index < 0) {
        m_error = QStringLiteral("%1 is missing").arg(name);
        return false;
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_archive, static_cast<zip_uint64_t>(index), 0, &stat) == 0 &&
        (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
        // Exact text: the same reason as DocumentText's for encrypted documents.
        m_error = QStringLiteral("the document is encrypted");
        return false;
    }
    const std::unique_ptr<zip_file_t, ZipFileCloser> file(
        zip_fopen_index(m_archive, static_cast<zip_uint64_t>(index), 0));
    if (!file) {
        m_error = QStringLiteral("cannot unpack %1 (%2)").arg(name, ZipErrorText(zip_get_error(m_archive)));
        return false;
    }
    QByteArray chunk(kChunkSize, Qt::Uninitialized);
    for (;;) {
        if (const QString reason = m_budget.interruption(); !reason.isEmpty()) {
            m_error = reason;
            return false;
        }
        const zip_int64_t got = zip_fread(file.get(), chunk.data(), static_cast<zip_uint64_t>(chunk.size()));
        if (got < 0) {
            m_error = QStringLiteral("cannot unpack %1 (%2)")
                          .arg(name, ZipErrorText(zip_file_get_error(file.get())));
            return false;
        }
        if (got == 0)
            return true;
        if (!m_budget.spendUnpacked(got)) {
            m_error = m_budget.interruption();
            return false;
        }
        if (!sink(QByteArrayView(chunk.constData(), got)))
            return false;
    }
}

QByteArray TZipPackage::readHead(const QString& name, qsizetype maxBytes)
{
    QByteArray head;
    const QString keptError = m_error;
    read(name, [&](QByteArrayView chunk) {
        head.append(chunk.first(std::min(chunk.size(), maxBytes - head.size())));
        return head.size() < maxBytes;
    });
    m_error = keptError;
    return head;
}
