#include "pockets/PocketIndexReader.h"

#include "platform/Base64.h"

#include <array>
#include <cmath>
#include <set>
#include <utility>

namespace kestrane {

namespace {

constexpr const char* wrongKeyCount = "Invalid number of keys found, expected one.";

struct PayloadCase {
    const char* name;
    const char* field;
};
// In the order of PocketPayload's alternatives.
enum PayloadCaseIndex : std::size_t { referenceCase, managedCase, pendingCase };
constexpr std::array<PayloadCase, 3> payloadCases { {
    { "reference", "bookmark" },
    { "managed", "filename" },
    { "pending", "path" },
} };

} // namespace

bool PocketIndexReader::fail(std::string reason)
{
    error = std::move(reason);
    return false;
}

bool PocketIndexReader::mistyped()
{
    switch (next) {
    case Slot::document:
        return fail("The index is not a JSON object.");
    case Slot::items:
        return fail("A pocket's items are not a JSON array.");
    case Slot::item:
        return fail("An item is not a JSON object.");
    case Slot::id:
        return fail("An item's \"id\" is not a string.");
    case Slot::name:
        return fail("An item's \"name\" is not a string.");
    case Slot::addedAt:
        return fail("An item's \"addedAt\" is not a finite number.");
    case Slot::payload:
        return fail("An item's \"payload\" is not a JSON object.");
    default:
        return fail("Unexpected value.");
    }
}

// A value that is not an object, an array, a string or a number: only an ignored member
// may hold one, or a payload case or field that will then be reported as mistyped.
bool PocketIndexReader::scalar()
{
    if (ignoredDepth > 0 || next == Slot::ignored)
        return true;
    if (next == Slot::payloadCase || next == Slot::payloadField) {
        forgetField();
        return true;
    }
    return mistyped();
}

// The current payload case is present but holds no usable field (so far); a later
// duplicate member may still supply one.
void PocketIndexReader::forgetField()
{
    CaseDraft& current = draft.cases[draft.currentCase];
    current.present = true;
    current.hasField = false;
    current.field.clear();
}

bool PocketIndexReader::number(double value)
{
    if (ignoredDepth == 0 && next == Slot::addedAt) {
        if (!std::isfinite(value))
            return mistyped();
        draft.addedAt = value;
        return true;
    }
    return scalar();
}

bool PocketIndexReader::string(Json::string_t& value)
{
    if (ignoredDepth > 0)
        return true;
    switch (next) {
    case Slot::id:
        draft.id = std::move(value);
        return true;
    case Slot::name:
        draft.name = std::move(value);
        return true;
    case Slot::payloadField: {
        CaseDraft& current = draft.cases[draft.currentCase];
        current.hasField = true;
        current.field = std::move(value);
        return true;
    }
    default:
        return scalar();
    }
}

bool PocketIndexReader::enter(Level inner)
{
    level = inner;
    if (inner == Level::item)
        draft = ItemDraft {};
    if (inner == Level::payload)
        draft.cases = {};
    if (inner == Level::payloadCase)
        forgetField();
    // Arrays hold only items; every object member is classified by its key.
    next = inner == Level::pocket ? Slot::item : Slot::ignored;
    return true;
}

// A container nobody reads: its contents are counted through until it closes.
bool PocketIndexReader::skipContainer()
{
    if (ignoredDepth == 0 && (next == Slot::payloadCase || next == Slot::payloadField))
        forgetField();
    ++ignoredDepth;
    return true;
}

bool PocketIndexReader::start_object(std::size_t)
{
    if (ignoredDepth > 0)
        return skipContainer();
    switch (next) {
    case Slot::document:
        return enter(Level::document);
    case Slot::item:
        return enter(Level::item);
    case Slot::payload:
        return enter(Level::payload);
    case Slot::payloadCase:
        return enter(Level::payloadCase);
    case Slot::payloadField:
    case Slot::ignored:
        return skipContainer();
    default:
        return mistyped();
    }
}

bool PocketIndexReader::start_array(std::size_t)
{
    if (ignoredDepth > 0)
        return skipContainer();
    switch (next) {
    case Slot::items:
        return enter(Level::pocket);
    case Slot::payloadCase:
    case Slot::payloadField:
    case Slot::ignored:
        return skipContainer();
    default:
        return mistyped();
    }
}

bool PocketIndexReader::key(Json::string_t& name)
{
    if (ignoredDepth > 0)
        return true;
    switch (level) {
    case Level::document:
        pocketName = std::move(name);
        next = Slot::items;
        break;
    case Level::item:
        itemKey(name);
        break;
    case Level::payload:
        payloadKey(name);
        break;
    case Level::payloadCase:
        next = name == payloadCases[draft.currentCase].field ? Slot::payloadField : Slot::ignored;
        break;
    default:
        next = Slot::ignored;
    }
    return true;
}

void PocketIndexReader::itemKey(const std::string& name)
{
    if (name == "id")
        next = Slot::id;
    else if (name == "name")
        next = Slot::name;
    else if (name == "addedAt")
        next = Slot::addedAt;
    else if (name == "payload")
        next = Slot::payload;
    else
        next = Slot::ignored;
}

void PocketIndexReader::payloadKey(const std::string& name)
{
    next = Slot::ignored;
    for (std::size_t i = 0; i < payloadCases.size(); ++i) {
        if (name == payloadCases[i].name) {
            draft.currentCase = i;
            next = Slot::payloadCase;
        }
    }
}

bool PocketIndexReader::leave()
{
    if (ignoredDepth > 0) {
        --ignoredDepth;
        return true;
    }
    bool accepted = true;
    if (level == Level::item)
        accepted = finishItem();
    else if (level == Level::payload)
        accepted = finishPayload();
    else if (level == Level::pocket) {
        // Checked like any other member first, then dropped when the name is not an id.
        if (auto pocket = Uuid::parse(pocketName))
            addPocket(*pocket);
        items.clear();
    }
    level = static_cast<Level>(static_cast<int>(level) - 1);
    next = level == Level::pocket ? Slot::item : Slot::ignored;
    return accepted;
}

// One pocket named twice (by hand editing, or in upper and lower case) keeps both lists,
// in file order, each item once.
void PocketIndexReader::addPocket(const Uuid& pocket)
{
    auto [entry, isNew] = pockets.try_emplace(pocket);
    if (isNew) {
        entry->second = std::move(items);
        return;
    }
    std::vector<PocketItem>& list = entry->second;
    std::set<Uuid> seen;
    for (const PocketItem& item : list)
        seen.insert(item.id);
    for (PocketItem& item : items) {
        if (seen.insert(item.id).second)
            list.push_back(std::move(item));
    }
}

bool PocketIndexReader::end_object()
{
    return leave();
}
bool PocketIndexReader::end_array()
{
    return leave();
}

bool PocketIndexReader::finishItem()
{
    if (!draft.id || !draft.name || !draft.addedAt || !draft.payload)
        return fail("An item lacks one of \"id\", \"name\", \"payload\" and \"addedAt\".");
    const auto id = Uuid::parse(*draft.id);
    if (!id)
        return fail("An item's \"id\" is not a UUID.");
    items.push_back(PocketItem { *id, std::move(*draft.name), std::move(*draft.payload), *draft.addedAt });
    return true;
}

bool PocketIndexReader::finishPayload()
{
    std::size_t count = 0;
    std::size_t found = 0;
    for (std::size_t i = 0; i < draft.cases.size(); ++i) {
        if (draft.cases[i].present) {
            ++count;
            found = i;
        }
    }
    if (count != 1)
        return fail(wrongKeyCount);
    draft.payload = payloadFrom(draft.cases[found], found);
    return draft.payload.has_value();
}

std::optional<PocketPayload> PocketIndexReader::payloadFrom(const CaseDraft& found, std::size_t kind)
{
    if (!found.hasField) {
        const PayloadCase& entry = payloadCases[kind];
        fail(std::string("A \"") + entry.name + "\" payload has no string \"" + entry.field + "\".");
        return std::nullopt;
    }
    switch (kind) {
    case referenceCase:
        if (auto bytes = decodeBase64(found.field))
            return PocketPayload::makeReference(std::move(*bytes));
        fail("A bookmark is not valid Base64.");
        return std::nullopt;
    case managedCase:
        return PocketPayload::makeManaged(found.field);
    default:
        return PocketPayload::makePending(found.field);
    }
}

bool PocketIndexReader::parse_error(std::size_t position, const std::string&, const Json::exception&)
{
    // The parser's own message may quote the offending bytes, which need not be UTF-8.
    return fail("The index is not well-formed JSON (near byte " + std::to_string(position) + ").");
}

} // namespace kestrane
