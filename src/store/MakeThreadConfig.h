#pragma once

#include "model/ThreadConfig.h"

struct TSettings;

// The configuration a search starts with: the settings as they are now, plus the two
// box texts taken as they stand (untrimmed). Sizes become bytes through their unit, dates packed MS-DOS
// date-times, the scope and folder lists comma text.
TThreadConfig MakeThreadConfig(const TSettings& settings, const QString& fileMasksText,
                               const QString& searchText);
