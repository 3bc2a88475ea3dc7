#include "pockets/PocketIndexCodec.h"
#include "pockets/PocketIndexReader.h"

#include <simdjson.h>

#include <exception>

namespace kestrane {

namespace {

using simdjson::dom::element_type;

// Plays a parsed document to the reader in document order, the events nlohmann's parser
// would send for the same text. Returns false once the reader rejects the document. The
// recursion is bounded by the parser's depth limit.
bool replay(simdjson::dom::element value, PocketIndexReader& reader)
{
    switch (value.type()) {
    case element_type::OBJECT: {
        const simdjson::dom::object object = value.get_object().value_unsafe();
        if (!reader.start_object(object.size()))
            return false;
        for (const simdjson::dom::key_value_pair member : object) {
            std::string key(member.key);
            if (!reader.key(key) || !replay(member.value, reader))
                return false;
        }
        return reader.end_object();
    }
    case element_type::ARRAY: {
        const simdjson::dom::array array = value.get_array().value_unsafe();
        if (!reader.start_array(array.size()))
            return false;
        for (const simdjson::dom::element item : array) {
            if (!replay(item, reader))
                return false;
        }
        return reader.end_array();
    }
    case element_type::STRING: {
        std::string text(value.get_string().value_unsafe());
        return reader.string(text);
    }
    case element_type::INT64:
        return reader.number_integer(value.get_int64().value_unsafe());
    case element_type::UINT64:
        return reader.number_unsigned(value.get_uint64().value_unsafe());
    case element_type::DOUBLE:
        return reader.number_float(value.get_double().value_unsafe(), {});
    case element_type::BOOL:
        return reader.boolean(value.get_bool().value_unsafe());
    case element_type::NULL_VALUE:
        return reader.null();
    }
    return false;
}

PocketIndexDecodeResult outcome(bool accepted, PocketIndexReader& reader)
{
    if (accepted)
        return { std::move(reader.pockets), {} };
    return { std::nullopt, std::move(reader.error) };
}

} // namespace

// simdjson checks and parses the whole text at once, many times faster than a streaming
// parser. It names no position for a fault, though, and turns away some text that is valid
// JSON (a number past a double's range, nesting deeper than its limit), so nlohmann's
// parser reads whatever simdjson turns away: it accepts what it always did and says where
// the text went wrong. Text simdjson accepts is well-formed, so both agree on it.
PocketIndexDecodeResult decodePocketIndex(std::string_view text)
{
    // nlohmann's parser takes a NUL byte for the end of the text, which would accept
    // whatever came before it; JSON never holds one, so the text is damaged.
    if (text.find('\0') != std::string_view::npos)
        return { std::nullopt, "The index holds a NUL byte." };
    PocketIndexReader reader;
    try {
        simdjson::dom::parser parser;
        simdjson::dom::element document;
        if (parser.parse(text.data(), text.size()).get(document) == simdjson::SUCCESS)
            return outcome(replay(document, reader), reader);
        return outcome(PocketIndexReader::Json::sax_parse(text, &reader), reader);
    } catch (const std::exception&) {
        return { std::nullopt, "The index could not be read." };
    }
}

} // namespace kestrane
