#pragma once

#include "model/SearchModes.h"

// A search mode shown in a choice list or a radio group. The items are listed in
// the order of the modes' stored values, so an item's index is its mode's value;
// Unknown (-1) shows no item.
template <typename Mode> int ModeItemIndex(Mode mode)
{
    return StoredModeValue(mode);
}

// The mode of the chosen item; Unknown when none is chosen.
template <typename Mode> Mode ModeOfItem(int itemIndex)
{
    return ModeFromStored<Mode>(itemIndex);
}

// The mode of the chosen item, or kept when none is chosen (the stored mode showed
// no item).
template <typename Mode> Mode ChosenMode(int itemIndex, Mode kept)
{
    return itemIndex >= 0 ? ModeOfItem<Mode>(itemIndex) : kept;
}
