#pragma once

#include "engine/FileMask.h"

#include <QString>
#include <memory>
#include <vector>

using TFileMaskList = std::vector<std::unique_ptr<TFileMask>>;

// One element of the "Search files" box: wrapped in '*' when it has no wildcard or
// quote; a leading quoted part replaces it (doubled quotes inside stand for one).
void NormalizeFileMask(QString& text);
// The masks of the "Search files" box text (';'-separated, one trailing ';' dropped,
// elements not trimmed, an empty element matching every name).
TFileMaskList BuildFileMasks(const QString& fileMasks);
// The folder masks of the folder list (comma text), not normalised.
TFileMaskList BuildFolderMasks(const QString& folderList);
// Some mask of the list matches the name (tried in order, first match wins).
bool AnyMaskMatches(const TFileMaskList& masks, const QString& name);
// The folder-list test of a folder path \\HOST\share\sub: its share-relative part
// (share\sub), or that part with a trailing '\', matches some folder mask. A bare
// \\HOST has an empty share-relative part.
bool FolderMatches(const TFileMaskList& folderMasks, const QString& folderPath);
