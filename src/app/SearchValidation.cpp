#include "app/SearchValidation.h"

namespace {

bool IsBlankOrControl(QChar ch)
{
    return ch.unicode() <= 32;
}

} // namespace

QString TrimBlanksAndControls(const QString& text)
{
    qsizetype first = 0, last = text.size();
    while (first < last && IsBlankOrControl(text.at(first)))
        ++first;
    while (last > first && IsBlankOrControl(text.at(last - 1)))
        --last;
    return text.mid(first, last - first);
}

// Exact text: why a search is refused; shown to users, printed by unattended runs
// and compared by the validation tests.
QString SearchRefusal(const TSearchRequest& request)
{
    if (request.searchMethod != TSearchType::EntireNetwork && request.resList.isEmpty())
        return QStringLiteral("No computers or IP ranges are specified");
    if (request.foldersSearchMethod != TFolderListMode::AllFolders && request.folderList.isEmpty())
        return QStringLiteral("No folders are specified");
    if (TrimBlanksAndControls(request.fileMasks).isEmpty())
        return QStringLiteral("No search mask is specified");
    return {};
}
