// The order of the flock list's rows: a stable sort by one field of the animal.
#pragma once

#include <vector>

#include "platform/object.h"

// Bit of the sort word that means ascending.
constexpr unsigned SORT_ASCENDING = 0x100;

// Rows are animals; sortWord is the field id with SORT_ASCENDING for ascending order.
void SortSheepRows(std::vector<CRefPtr<CObject>>& rows, unsigned sortWord);
