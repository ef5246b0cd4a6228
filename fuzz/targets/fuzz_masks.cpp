// File-name masks ("Search files" box), folder list rules and the bare wildcard
// matcher. Input: mask text, a line feed, then the name to test (UTF-8).
#include "FuzzInput.h"
#include "engine/FileMask.h"
#include "engine/MaskLists.h"

#include <QLocale>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = FuzzBytes(data, size);
    const qsizetype split = input.indexOf('\n');
    const QString maskText = QString::fromUtf8(split < 0 ? input : input.left(split));
    const QString name = split < 0 ? QString() : QString::fromUtf8(input.mid(split + 1));

    ReadExpectingErrors([&] { (void)AnyMaskMatches(BuildFileMasks(maskText), name); });
    ReadExpectingErrors([&] { (void)FolderMatches(BuildFolderMasks(maskText), name); });
    ReadExpectingErrors([&] { (void)TMask(maskText).Matches(name); });
    ReadExpectingErrors([&] { (void)TFileMask(maskText, QLocale(QLocale::Turkish)).Matches(name); });
    QString normalized = maskText;
    NormalizeFileMask(normalized);
    (void)UpperCaseFileName(name, QLocale(QLocale::German));
    return 0;
}
