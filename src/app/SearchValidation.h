#pragma once

#include <QString>
#include <QStringList>

// What a search start checks before anything changes, in this order.
struct TSearchRequest {
    int searchMethod = 0;        // 0 entire network, 1-3 need the scope list
    QStringList resList;         // the scope list
    int foldersSearchMethod = 0; // 0 all folders, 1-2 need the folder list
    QStringList folderList;
    QString fileMasks; // the "Search files" box as typed
};

// The refusal message, or an empty string when the search may start:
// "No computers or IP ranges are specified", "No folders are specified",
// "No search mask is specified" (a mask of blanks and control characters only).
QString SearchRefusal(const TSearchRequest& request);

// The text without leading and trailing blanks and control characters.
QString TrimBlanksAndControls(const QString& text);
