#pragma once

#include "pockets/ResolvedPocketItem.h"

class QWidget;

namespace kestrane {

class PocketStore;

// A drag that carries pocket items out to another program as files. A file the store
// wrote itself is offered for copying only, so no receiver can move it out of the store.
class PullDrag {
public:
    struct Outcome {
        // Another program took the drop.
        bool accepted = false;
        // Alt was held at the drop: the items stay in the pocket.
        bool copyRequested = false;
    };

    PullDrag(QWidget* source, const PocketStore& store, ResolvedPocketItems items);
    // Runs the drag until it is dropped or cancelled.
    Outcome exec();

private:
    bool offersOwnPayloads() const;

    QWidget* source_;
    const PocketStore& store_;
    ResolvedPocketItems items_;
};

} // namespace kestrane
