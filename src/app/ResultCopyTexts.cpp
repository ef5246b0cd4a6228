#include "app/ResultCopyTexts.h"

#include "model/ItemUrl.h"

QString ExtractFileDrive(const QString& path)
{
    if (path.size() >= 2 && path.at(1) == u':')
        return path.left(2);
    if (path.size() >= 2 && path.at(0) == u'\\' && path.at(1) == u'\\') {
        // Up to, not including, the backslash that ends the share name.
        int separators = 0;
        for (qsizetype i = 2; i < path.size(); ++i) {
            if (path.at(i) == u'\\' && ++separators == 2)
                return path.left(i);
        }
        return path;
    }
    return {};
}

TCopyTexts CopyTextsFor(const TItemRecord* selected)
{
    if (!selected)
        return {kEmptyCopyCaption, kEmptyCopyCaption, kEmptyCopyCaption, kEmptyCopyCaption,
                kEmptyCopyCaption};
    TCopyTexts texts;
    texts.fullName = selected->FileName;
    texts.fileName = ItemName(*selected);
    texts.filePath = ItemLocation(*selected);
    texts.fileDrive = IsFtpItem(*selected) ? kEmptyCopyCaption : ExtractFileDrive(selected->FileName);
    texts.url = ItemUrl(*selected);
    if (texts.url.isEmpty())
        texts.url = kEmptyCopyCaption;
    return texts;
}
