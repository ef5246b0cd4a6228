#pragma once

#include "model/SearchModes.h"

#include <QString>
#include <QStringList>

// What a search start checks before anything changes, in this order.
struct TSearchRequest {
    // Every search type but the entire network needs the scope list.
    TSearchType searchMethod = TSearchType::EntireNetwork;
    QStringList resList;
    // Every folder mode but all folders needs the folder list.
    TFolderListMode foldersSearchMethod = TFolderListMode::AllFolders;
    QStringList folderList;
    QString fileMasks; // the "Search files" box as typed
};

// The refusal message, or an empty string when the search may start:
// "No computers or IP ranges are specified", "No folders are specified",
// "No search mask is specified" (a mask of blanks and control characters only).
QString SearchRefusal(const TSearchRequest& request);

// The text without leading and trailing blanks and control characters.
QString TrimBlanksAndControls(const QString& text);
