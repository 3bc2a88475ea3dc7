#pragma once

#include "pockets/PocketItem.h"

#include <random>
#include <string>

// A large index shaped like a heavy user's: 10,000 items over seven pockets (4.1 MB written).
namespace kestrane::bench {

inline constexpr int pocketCount = 7;
inline constexpr int itemCount = 10'000;
inline constexpr std::size_t bookmarkSize = 300;

inline Bytes randomBookmark(std::mt19937& random)
{
    Bytes bytes(bookmarkSize);
    for (auto& byte : bytes)
        byte = static_cast<std::uint8_t>(random());
    return bytes;
}

// Six in ten items are references, two managed files, two still pending: roughly what a
// pocket collects from dropped files, clipped images and text.
inline PocketPayload payloadFor(int index, std::mt19937& random)
{
    switch (index % 10) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
        return PocketPayload::makeReference(randomBookmark(random));
    case 6:
    case 7:
        return PocketPayload::makeManaged(Uuid::random().string() + ".png");
    default:
        return PocketPayload::makePending("/home/alex/Documents/Projects/Kestrel/report draft " + std::to_string(index) + ".pdf");
    }
}

inline PocketMap largeIndex(int items = itemCount)
{
    std::mt19937 random(7);
    std::vector<Uuid> pockets;
    for (int i = 0; i < pocketCount; ++i)
        pockets.push_back(Uuid::random());
    PocketMap map;
    for (int i = 0; i < items; ++i) {
        const std::string name = "Quarterly report " + std::to_string(i) + " (final).pdf";
        map[pockets[static_cast<std::size_t>(i % pocketCount)]].push_back(PocketItem::make(name, payloadFor(i, random), 7.0e8 + i * 0.25));
    }
    return map;
}

} // namespace kestrane::bench
