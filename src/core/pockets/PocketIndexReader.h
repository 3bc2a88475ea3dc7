#pragma once

#include "pockets/PocketItem.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kestrane {

// Builds the map straight from parse events (nlohmann's SAX interface), without a document
// tree of its own. The layout is fixed, so the reader only tracks which container it is in;
// values it has no use for are counted through. Every event returns false once the document
// is rejected, and `error` then says why.
class PocketIndexReader {
public:
    using Json = nlohmann::json;

    PocketMap pockets;
    std::string error;

    bool null() { return scalar(); }
    bool boolean(bool) { return scalar(); }
    bool number_integer(Json::number_integer_t value) { return number(static_cast<double>(value)); }
    bool number_unsigned(Json::number_unsigned_t value) { return number(static_cast<double>(value)); }
    bool number_float(Json::number_float_t value, const Json::string_t&) { return number(value); }
    bool string(Json::string_t& value);
    bool binary(Json::binary_t&) { return scalar(); }
    bool start_object(std::size_t);
    bool key(Json::string_t& name);
    bool end_object();
    bool start_array(std::size_t);
    bool end_array();
    bool parse_error(std::size_t position, const std::string&, const Json::exception&);

private:
    // The containers of the document, outermost first; closing one returns to the one before.
    enum class Level { outside, document, pocket, item, payload, payloadCase };

    // What the next value is going to be.
    enum class Slot { document, items, item, id, name, addedAt, payload, payloadCase, payloadField, ignored };

    // One member of a payload object, kept until the object closes: only then is it known
    // whether it was the only case present.
    struct CaseDraft {
        bool present = false;
        bool hasField = false;
        std::string field;
    };

    struct ItemDraft {
        std::optional<std::string> id;
        std::optional<std::string> name;
        std::optional<double> addedAt;
        std::optional<PocketPayload> payload;
        std::array<CaseDraft, 3> cases;
        std::size_t currentCase = 0;
    };

    bool scalar();
    bool number(double value);
    void forgetField();
    bool enter(Level level);
    bool skipContainer();
    bool leave();
    bool finishItem();
    bool finishPayload();
    std::optional<PocketPayload> payloadFrom(const CaseDraft& draft, std::size_t found);
    void itemKey(const std::string& name);
    void payloadKey(const std::string& name);
    bool fail(std::string reason);
    bool mistyped();
    void addPocket(const Uuid& pocket);

    Level level = Level::outside;
    Slot next = Slot::document;
    std::size_t ignoredDepth = 0;
    std::string pocketName;
    std::vector<PocketItem> items;
    ItemDraft draft;
};

} // namespace kestrane
