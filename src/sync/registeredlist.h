// The registered texts of the store as rows of the shared folder's lists, and their replacement
// by the merged rows. Pure.
#pragma once

#include <vector>

#include "store/textstore.h"
#include "sync/sharedstate.h"

std::vector<LocalText> registeredTexts(const TextStore& store);

// The registered texts become rows (rows[0] at index 0), every text that stays keeping its id,
// since an open text menu or search window holds ids. False when not all rows can be stored
// (every id taken): the texts are then as before, in their order.
bool replaceRegisteredKeepingIds(TextStore& store, const std::vector<LocalText>& rows);
