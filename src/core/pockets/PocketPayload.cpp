#include "pockets/PocketPayload.h"

#include <utility>

namespace kestrane {

PocketPayload PocketPayload::makeReference(Bytes bookmark)
{
    PocketPayload payload;
    payload.kind = Kind::reference;
    payload.bookmark = std::move(bookmark);
    return payload;
}

PocketPayload PocketPayload::makeManaged(std::string filename)
{
    PocketPayload payload;
    payload.kind = Kind::managed;
    payload.filename = std::move(filename);
    return payload;
}

PocketPayload PocketPayload::makePending(std::string path)
{
    PocketPayload payload;
    payload.kind = Kind::pending;
    payload.path = std::move(path);
    return payload;
}

bool PocketPayload::operator==(const PocketPayload& other) const
{
    if (kind != other.kind)
        return false;
    switch (kind) {
    case Kind::reference:
        return bookmark == other.bookmark;
    case Kind::managed:
        return filename == other.filename;
    case Kind::pending:
        return path == other.path;
    }
    return false;
}

} // namespace kestrane
