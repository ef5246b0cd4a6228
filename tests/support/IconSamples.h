#pragma once

#include "store/IconImage.h"

// Icons for store tests: 16 x 16, every alpha value from 0 to 255 across the list,
// fully transparent and fully opaque pixels among them.
TIconImage SampleIcon(int seed);
TIconList SampleIcons(int count);
// The icon as a reader gives it back: fully transparent pixels as 0.
TIconImage NormalisedIcon(const TIconImage& icon);
TIconList NormalisedIcons(const TIconList& icons);
