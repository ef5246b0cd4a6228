#include "engine/MaskLists.h"

#include "model/DelimitedText.h"

namespace {

// The text between the opening quote at 0 and its closing quote, doubled quotes
// read as one; false when the quote is never closed.
bool TakeQuotedText(const QString& text, QString& inner)
{
    inner.clear();
    for (qsizetype pos = 1; pos < text.size(); ++pos) {
        if (text.at(pos) != u'"') {
            inner += text.at(pos);
        } else if (pos + 1 < text.size() && text.at(pos + 1) == u'"') {
            inner += u'"';
            ++pos;
        } else {
            return true;
        }
    }
    return false;
}

} // namespace

void NormalizeFileMask(QString& text)
{
    if (!text.contains(u'*') && !text.contains(u'?') && !text.contains(u'"'))
        text = u'*' + text + u'*';
    if (text.startsWith(u'"')) {
        QString inner;
        if (TakeQuotedText(text, inner))
            text = inner;
    }
}

TFileMaskList BuildFileMasks(const QString& fileMasks)
{
    QString text = fileMasks;
    if (text.endsWith(u';'))
        text.chop(1);
    TFileMaskList masks;
    // An empty element becomes "**" here and so matches every name.
    for (QString element : text.split(u';', Qt::KeepEmptyParts)) {
        NormalizeFileMask(element);
        masks.push_back(std::make_unique<TFileMask>(element));
    }
    return masks;
}

TFileMaskList BuildFolderMasks(const QString& folderList)
{
    TFileMaskList masks;
    for (const QString& entry : SplitCommaText(folderList))
        masks.push_back(std::make_unique<TFileMask>(entry));
    return masks;
}

bool AnyMaskMatches(const TFileMaskList& masks, const QString& name)
{
    for (const auto& mask : masks) {
        if (mask->Matches(name))
            return true;
    }
    return false;
}

bool FolderMatches(const TFileMaskList& folderMasks, const QString& folderPath)
{
    // \\HOST\share\sub -> share\sub: the first '\' from the third character on
    // ends the host name. A bare \\HOST has no share-relative part.
    const qsizetype hostEnd = folderPath.indexOf(u'\\', 2);
    const QString relative = hostEnd < 0 ? QString() : folderPath.mid(hostEnd + 1);
    return AnyMaskMatches(folderMasks, relative) || AnyMaskMatches(folderMasks, relative + u'\\');
}
