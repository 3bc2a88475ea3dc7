#pragma once

#include "edge/EdgeSurface.h"
#include "pockets/ResolvedPocketItem.h"

class QWidget;

namespace kestrane {

class DragSelectionRequests;

// A drag that carries pocket items out to another program as files, offered for copying
// only: no receiver may move the store's own files or the user's originals away.
class PullDrag {
public:
    using Outcome = EdgeSurface::DragOutcome;

    // The drag shows the items' icons, each iconSize pixels wide; requests gets its data
    // while it runs.
    PullDrag(QWidget* source, ResolvedPocketItems items, int iconSize, DragSelectionRequests& requests);
    // Runs the drag until it is dropped or cancelled.
    Outcome exec();

private:
    QWidget* source_;
    ResolvedPocketItems items_;
    int iconSize_;
    DragSelectionRequests& requests_;
};

} // namespace kestrane
