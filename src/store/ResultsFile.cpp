#include "store/ResultsFile.h"

#include "model/Error.h"
#include "store/ByteReader.h"
#include "store/CompoundFile.h"
#include "store/GLibLogCapture.h"
#include "store/ImageListStream.h"
#include "store/LegacyResults.h"

#include <bit>

namespace {

// Exact text: stream names inside results files; files saved by earlier versions
// (some with only "mainlist") are found by them, and the tests build such files.
constexpr const char* kRecordStream = "mainlist_unicode";
constexpr const char* kLegacyStream = "mainlist";
constexpr const char* kIconStream = "images";
constexpr uint32_t kRecordHeaderSize = 32;
// An image list of 65535 icons of 16 x 16 at 32 bits is about 17 MB; anything far
// beyond that is damage, not icons.
constexpr uint64_t kMaxIconStream = 256ull * 1024 * 1024;

void ToLittleEndianUnits(char16_t* units, qsizetype count)
{
    if constexpr (std::endian::native == std::endian::big) {
        for (qsizetype i = 0; i < count; ++i)
            units[i] = static_cast<char16_t>((units[i] >> 8) | (units[i] << 8));
    }
}

void WriteRecord(TCompoundFileWriter& file, const TItemRecord& item)
{
    const qsizetype units = item.FileName.size();
    if (units > (qsizetype{UINT32_MAX} - kRecordHeaderSize) / 2)
        throw EKestrovaError(
            QStringLiteral("A file name is too long to be saved (%1 characters)").arg(units));
    char header[kRecordHeaderSize] = {};
    StoreLE32(header, static_cast<uint32_t>(kRecordHeaderSize + 2 * units));
    StoreLE32(header + 4, static_cast<uint32_t>(item.Attrs));
    StoreLE64(header + 8, static_cast<uint64_t>(item.Size));
    StoreLEDouble(header + 16, item.DateTime);
    StoreLE32(header + 24, static_cast<uint32_t>(item.ImageIndex));
    file.write(header, sizeof header);
    if constexpr (std::endian::native == std::endian::little) {
        file.write(reinterpret_cast<const char*>(item.FileName.utf16()), static_cast<size_t>(2 * units));
    } else {
        QString copy = item.FileName;
        ToLittleEndianUnits(reinterpret_cast<char16_t*>(copy.data()), units);
        file.write(reinterpret_cast<const char*>(copy.utf16()), static_cast<size_t>(2 * units));
    }
}

TIconList ReadIcons(TCompoundFileReader& file)
{
    const QByteArray bytes = file.requireStream(kIconStream)->readAll(kMaxIconStream);
    return ReadImageListStream(bytes);
}

// The older form: records and icons. Returns false, with the reason when there was
// one, when the file cannot be read that way; records appended before the failure
// stay in the list.
bool TryLoadLegacy(TCompoundFileReader& file, TItemList& list, TIconList& icons, QString& failure)
{
    try {
        const auto stream = file.openStream(kLegacyStream);
        if (!stream)
            return false;
        ReadLegacyRecords(*stream, list);
        icons = ReadIcons(file);
        return true;
    } catch (const EKestrovaError& error) {
        failure = error.message();
        return false;
    }
}

void LoadRecords(TCompoundStreamReader& stream, TItemList& list)
{
    const uint64_t length = stream.size();
    uint64_t consumed = 0;
    char header[kRecordHeaderSize];
    while (consumed < length) {
        // Exact text: users report the record and offset from this message; the store
        // tests compare its wording, including the two endings below.
        const auto damaged = [&](const QString& problem) {
            return EKestrovaError(
                QStringLiteral("The stream \"%1\" is damaged: record %2 at offset %3 %4; %2 records "
                               "were read")
                    .arg(QLatin1String(kRecordStream))
                    .arg(list.size())
                    .arg(consumed)
                    .arg(problem));
        };
        // Record numbers in messages count from 0, so "record N" equals the
        // number of records read before it.
        if (length - consumed < kRecordHeaderSize)
            throw damaged(QStringLiteral("is cut short after %1 bytes").arg(length - consumed));
        stream.read(header, sizeof header);
        const uint32_t recordLength = LoadLE32(header);
        if (recordLength < kRecordHeaderSize || recordLength % 2 != 0 || recordLength > length - consumed)
            throw damaged(QStringLiteral("has the invalid length %1").arg(recordLength));

        const qsizetype units = (recordLength - kRecordHeaderSize) / 2;
        TItemRecord item;
        item.FileName = QString(units, Qt::Uninitialized);
        stream.read(reinterpret_cast<char*>(item.FileName.data()), static_cast<size_t>(2 * units));
        ToLittleEndianUnits(reinterpret_cast<char16_t*>(item.FileName.data()), units);
        item.Attrs = static_cast<int32_t>(LoadLE32(header + 4));
        item.Size = static_cast<int64_t>(LoadLE64(header + 8));
        item.DateTime = LoadLEDouble(header + 16);
        item.ImageIndex = static_cast<int32_t>(LoadLE32(header + 24));
        list.append(std::move(item));
        consumed += recordLength;
    }
}

} // namespace

void SaveResultsToFile(const QString& path, const TItemList& list, const TIconList& icons)
{
    TGLibLogCapture capture;
    try {
        // Encoded first: icons that cannot be written should fail before any disk work.
        const QByteArray images = WriteImageListStream(icons);
        TCompoundFileWriter file(path);
        file.beginStream(kRecordStream);
        for (const TItemRecord& item : list)
            WriteRecord(file, item);
        file.endStream();
        file.beginStream(kIconStream);
        file.write(images.constData(), static_cast<size_t>(images.size()));
        file.endStream();
        file.commit();
    } catch (const EKestrovaError& error) {
        throw EKestrovaError(capture.withDetails(error.message()), error.code());
    }
}

void LoadResultsFromFile(const QString& path, TItemList& list, TIconList& icons)
{
    list.clear();
    icons.clear();
    TGLibLogCapture capture;
    try {
        TCompoundFileReader file(path);
        QString legacyFailure;
        if (TryLoadLegacy(file, list, icons, legacyFailure))
            return;
        const auto stream = file.openStream(kRecordStream);
        if (!stream) {
            // An older file whose records could not be read says more about
            // itself than the missing stream of the newer form.
            if (!legacyFailure.isEmpty())
                throw EKestrovaError(legacyFailure);
            // Exact text: the same words as TCompoundFileReader::requireStream; the
            // results tests compare them.
            throw EKestrovaError(
                QStringLiteral("The file holds no stream \"%1\"").arg(QLatin1String(kRecordStream)));
        }
        LoadRecords(*stream, list);
        icons = ReadIcons(file);
    } catch (const EKestrovaError& error) {
        throw EKestrovaError(capture.withDetails(error.message()), error.code());
    }
}
