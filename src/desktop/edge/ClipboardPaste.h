#pragma once

class QMimeData;

namespace kestrane {

class BezelEngine;

// Ctrl+V in an open drawer: the clipboard goes into that pocket as a drop of the same
// content would (copied files as references, a link, an image, a text), with its swallow.
// False when no drawer is open or the clipboard offers nothing the pockets keep.
bool pasteIntoOpenDrawer(BezelEngine& engine, const QMimeData* clipboard);

} // namespace kestrane
