#pragma once

#include "engine/ports/ShareClient.h"

#include <QString>
#include <memory>
#include <optional>
#include <vector>

// Share client calls in the shape a test checks most easily: the error (code 0 on
// success) with the value written to an argument, emptied on failure.
PlatformError ListShares(ShareClient& client, const QString& host, std::vector<ShareInfo>& shares);
PlatformError ListFolder(ShareClient& client, const QString& folder, std::vector<ShareDirEntry>& entries);
PlatformError Connect(ShareClient& client, const QString& remotePath, const std::optional<QString>& user,
                      const std::optional<QString>& password);
// Null with the error filled in when the file cannot be opened.
std::unique_ptr<ByteSource> OpenFile(ShareClient& client, const QString& path, PlatformError& error);
