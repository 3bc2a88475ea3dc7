#include "edge/ClipboardPaste.h"

#include "engine/BezelEngine.h"
#include "platform/Log.h"
#include "services/MimePasteboard.h"

#include <QMimeData>

namespace kestrane {

bool pasteIntoOpenDrawer(BezelEngine& engine, const QMimeData* data)
{
    const auto& state = engine.state();
    if (!state.wantsOpen || !state.openZone || state.isEditing)
        return false;
    if (!data || !MimePasteboard::offersAnything(*data) || engine.swallowInto(*state.openZone, MimePasteboard(*data)) < 1) {
        logLine("Kestrane: the clipboard holds nothing a pocket can keep");
        return false;
    }
    return true;
}

} // namespace kestrane
