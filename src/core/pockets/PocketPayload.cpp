#include "pockets/PocketPayload.h"

namespace kestrane {

const Bytes* PocketPayload::bookmark() const
{
    const auto* reference = std::get_if<Reference>(&value);
    return reference ? &reference->bookmark : nullptr;
}

const std::string* PocketPayload::managedFilename() const
{
    const auto* managed = std::get_if<Managed>(&value);
    return managed ? &managed->filename : nullptr;
}

const std::string* PocketPayload::pendingPath() const
{
    const auto* pending = std::get_if<Pending>(&value);
    return pending ? &pending->path : nullptr;
}

} // namespace kestrane
