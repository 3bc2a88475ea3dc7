#include "views/RepaintTracker.h"

#include <cmath>
#include <utility>

namespace kestrane {

void RepaintTracker::begin()
{
    changed_ = QRegion();
    for (auto& [name, piece] : pieces_)
        piece.noted = false;
}

void RepaintTracker::note(const std::string& piece, QRect bounds, std::vector<double> look)
{
    for (double& number : look)
        number = std::round(number * 256);
    auto [found, fresh] = pieces_.try_emplace(piece);
    Piece& known = found->second;
    known.noted = true;
    if (!fresh && known.bounds == bounds && known.look == look)
        return;
    changed_ += known.bounds;
    changed_ += bounds;
    known.bounds = bounds;
    known.look = std::move(look);
}

QRegion RepaintTracker::end()
{
    std::erase_if(pieces_, [&](const auto& entry) {
        if (!entry.second.noted)
            changed_ += entry.second.bounds;
        return !entry.second.noted;
    });
    return std::exchange(changed_, QRegion());
}

} // namespace kestrane
