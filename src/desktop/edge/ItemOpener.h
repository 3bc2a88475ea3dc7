#pragma once

#include "pockets/ResolvedPocketItem.h"

namespace kestrane {

// Opens an item with the desktop's default application for it. A kept link opens the
// address it holds, not the file that stores it. False when nothing could be opened.
bool openItem(const ResolvedPocketItem& item);

} // namespace kestrane
