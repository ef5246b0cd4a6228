#include "store/MakeThreadConfig.h"

#include "model/DateTime.h"
#include "model/DelimitedText.h"
#include "store/Settings.h"

TThreadConfig MakeThreadConfig(const TSettings& settings, const QString& fileMasksText,
                               const QString& searchText)
{
    TThreadConfig config;
    config.MaxThreads = settings.MaxThreads;
    config.Logic = settings.Logic;
    config.Encoding = settings.Encoding;
    config.SearchInsideDocuments = settings.SearchInsideDocuments;
    config.DocumentSizeLimit = int64_t{settings.DocumentSizeLimit} << 20;
    config.DocumentTimeLimit = settings.DocumentTimeLimit;
    config.SearchMethod = settings.SearchMethod;
    config.HiddenResSearchMethod = settings.HiddenResSearchMethod;
    config.FoldersSearchMethod = settings.FoldersSearchMethod;
    config.FtpSearchMode = settings.FtpSearchMode;
    config.FtpVerifyCertificates = settings.FtpVerifyCertificates;
    config.EnableTextSearch = settings.EnableTextSearch;
    config.FileMasks = fileMasksText;
    config.SearchText = searchText;
    config.AutoUnmount = settings.AutoUnmount;
    config.FilterByDate = settings.FilterByDate;
    config.FilterBySize = settings.FilterBySize;
    config.DateFrom = DateTimeToFileDate(settings.DateFrom);
    config.DateTo = DateTimeToFileDate(settings.DateTo);
    config.SizeFrom = SizeInBytes(settings.SizeFrom, settings.SizeMultipleFrom);
    config.SizeTo = SizeInBytes(settings.SizeTo, settings.SizeMultipleTo);
    config.ResList = JoinCommaText(settings.ResList);
    config.FolderList = JoinCommaText(settings.FolderList);
    return config;
}
