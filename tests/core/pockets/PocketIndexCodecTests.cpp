#include "pockets/PocketIndexCodec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace kestrane;

namespace {

Uuid uuid(const char* text)
{
    return Uuid::parse(text).value();
}

const Uuid pocketA = uuid("0A1B2C3D-0000-4000-8000-00000000000A");
const Uuid pocketB = uuid("0A1B2C3D-0000-4000-8000-00000000000B");

std::string excerpt(const std::string& text)
{
    return text.substr(0, 300);
}

PocketMap decoded(const std::string& text)
{
    auto result = decodePocketIndex(text);
    EXPECT_TRUE(result.pockets.has_value()) << result.error << "\n" << excerpt(text);
    EXPECT_EQ(result.error, "");
    return result.pockets.value_or(PocketMap {});
}

std::string rejection(const std::string& text)
{
    auto result = decodePocketIndex(text);
    EXPECT_FALSE(result.pockets.has_value()) << excerpt(text);
    EXPECT_NE(result.error, "") << excerpt(text);
    return result.error;
}

// A pocket A document holding one item whose payload object is `payload`.
std::string withPayload(const std::string& payload)
{
    return R"({"0A1B2C3D-0000-4000-8000-00000000000A":[{"id":"11111111-2222-4333-8444-555555555555",)"
           R"("name":"n","addedAt":1,"payload":)"
        + payload + "}]}";
}

const std::string wrongKeyCount = "Invalid number of keys found, expected one.";

} // namespace

TEST(PocketIndexCodec, EveryPayloadKindSurvivesARoundTripWithAwkwardText)
{
    PocketMap pockets;
    pockets[pocketA] = {
        PocketItem::make("a/b \"quoted\" back\\slash", PocketPayload::makeReference({ 0xFB, 0xFF, 0xFE, 0x3E }), 1.25),
        PocketItem::make("Grüße 日本一 🎀 \U00100000", PocketPayload::makeManaged("6C0F.png"), -3.5e-7),
        PocketItem::make("tab\tnew\nline\x01", PocketPayload::makePending("/home/alex/Re: a//b.txt"), 7.0e8 + 0.123456789),
        PocketItem::make("", PocketPayload::makeReference({}), 0),
    };

    const auto text = encodePocketIndex(pockets);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(decoded(*text), pockets);

    // Bytes that are not UTF-8 are written as replacement characters.
    pockets[pocketA] = { PocketItem::make("caf\xE9 \xF0\x9F\x8E", PocketPayload::makePending("/tmp/\xFF.txt"), 1) };
    const PocketItem item = decoded(*encodePocketIndex(pockets)).at(pocketA).at(0);
    EXPECT_EQ(item.name, "caf\uFFFD \uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(item.payload, PocketPayload::makePending("/tmp/\uFFFD.txt"));
}

TEST(PocketIndexCodec, ReadsAnyLayoutAndCaseAndWritesItBackCanonically)
{
    // Lower-case ids, unescaped slashes, reordered members, whitespace, unknown members
    // holding the names of real ones at other depths, members that name no pocket, and one
    // pocket named twice in two spellings: its lists join in file order, each item once.
    const auto item = [](char n) {
        return R"({"id":"11111111-2222-4333-8444-55555555555)" + std::string(1, n)
            + R"(","name":"n","addedAt":1,"payload":{"managed":{"filename":"f"}}})";
    };
    const std::string loose = R"( { "notes" : [], "" : [], "0A1B2C3D-0000-4000-8000-00000000000B" : [],
        "0a1b2c3d-0000-4000-8000-00000000000a" : [ {
            "addedAt" : 2 , "extra" : {"payload": {"managed": 1}, "id": [[{"x": null}]]},
            "payload" : { "pending" : { "note": ["path"], "path" : "/tmp/a" }, "comment": true },
            "name" : "n\/m", "id" : "abcdef01-2345-4678-89ab-cdef01234567" }, )"
        + item('1') + R"( ], "0A1B2C3D-0000-4000-8000-00000000000A" : [ )" + item('1') + "," + item('2')
        + R"(, {"id":"0000000a-bbbb-4ccc-8ddd-eeeeeeeeeeee","name":"a/b","payload":{"reference":{"bookmark":"+/8="}},"addedAt":1.5}] })";
    EXPECT_EQ(encodePocketIndex(decoded(loose)),
        R"({"0A1B2C3D-0000-4000-8000-00000000000A":[{"id":"ABCDEF01-2345-4678-89AB-CDEF01234567",)"
        R"("name":"n\/m","payload":{"pending":{"path":"\/tmp\/a"}},"addedAt":2},)"
        R"({"id":"11111111-2222-4333-8444-555555555551","name":"n","payload":{"managed":{"filename":"f"}},"addedAt":1},)"
        R"({"id":"11111111-2222-4333-8444-555555555552","name":"n","payload":{"managed":{"filename":"f"}},"addedAt":1},)"
        R"({"id":"0000000A-BBBB-4CCC-8DDD-EEEEEEEEEEEE","name":"a\/b","payload":{"reference":{"bookmark":"+\/8="}},"addedAt":1.5}],)"
        R"("0A1B2C3D-0000-4000-8000-00000000000B":[]})");
}

TEST(PocketIndexCodec, RejectsEachMalformedDocumentForItsOwnReason)
{
    const std::string id = R"("id":"11111111-2222-4333-8444-555555555555")";
    const std::string payload = R"("payload":{"managed":{"filename":"f"}})";
    const auto pocket = [](const std::string& item) { return R"({"0A1B2C3D-0000-4000-8000-00000000000A":[)" + item + "]}"; };
    const std::string lacksMember = R"(An item lacks one of "id", "name", "payload" and "addedAt".)";
    const std::string deep(200'000, '[');
    const struct {
        std::string document;
        std::string reason;
    } cases[] = {
        { withPayload("{}"), wrongKeyCount },
        // Two cases, even when one is malformed as well, are one too many.
        { withPayload(R"({"reference":5,"managed":{"filename":"a"}})"), wrongKeyCount },
        { pocket("{" + id + R"(,"addedAt":1,)" + payload + "}"), lacksMember },
        { pocket("{" + id + R"(,"name":"n",)" + payload + "}"), lacksMember },
        { pocket("{" + id + R"(,"name":"n","addedAt":1})"), lacksMember },
        { pocket(R"({"name":"n","addedAt":1,)" + payload + "}"), lacksMember },
        { pocket("{" + id + R"(,"name":7,"addedAt":1,)" + payload + "}"), R"(An item's "name" is not a string.)" },
        { pocket("{" + id + R"(,"name":"n","addedAt":"1",)" + payload + "}"), R"(An item's "addedAt" is not a finite number.)" },
        { pocket(R"({"id":"item-1","name":"n","addedAt":1,)" + payload + "}"), R"(An item's "id" is not a UUID.)" },
        { pocket(R"({"id":5,"name":"n","addedAt":1,)" + payload + "}"), R"(An item's "id" is not a string.)" },
        { pocket("{" + id + R"(,"name":"n","addedAt":1,"payload":"managed"})"), R"(An item's "payload" is not a JSON object.)" },
        { pocket("[]"), "An item is not a JSON object." },
        { R"({"0A1B2C3D-0000-4000-8000-00000000000B":{}})", "A pocket's items are not a JSON array." },
        // A member that is not a pocket is dropped, but read like the others first.
        { R"({"notes":5})", "A pocket's items are not a JSON array." },
        { withPayload(R"({"managed":"f"})"), R"(A "managed" payload has no string "filename".)" },
        { withPayload(R"({"managed":{"filename":["f"]}})"), R"(A "managed" payload has no string "filename".)" },
        { withPayload(R"({"pending":{"filename":"f"}})"), R"(A "pending" payload has no string "path".)" },
        { withPayload(R"({"reference":[{"bookmark":"AAAA"}]})"), R"(A "reference" payload has no string "bookmark".)" },
        { withPayload(R"({"reference":{"bookmark":"abc"}})"), "A bookmark is not valid Base64." },
        { "[]", "The index is not a JSON object." },
        { "", "The index is not well-formed JSON (near byte 1)." },
        { "{\"a\":[]} {}", "The index is not well-formed JSON (near byte 10)." },
        // JSON text never holds a NUL byte; a file padded with them after a crash is damaged.
        { std::string("{\"a\":[]}\0", 9), "The index holds a NUL byte." },
        { withPayload(R"({"managed":{"filename":"f\xC3"}})"), "The index is not well-formed JSON (near byte 146)." },
        { deep, "The index is not a JSON object." },
        { withPayload(R"({"managed":{"filename":"f"},"x":)" + deep + "}"), "The index is not well-formed JSON (near byte 200152)." },
    };
    for (const auto& [document, reason] : cases)
        EXPECT_EQ(rejection(document), reason) << excerpt(document);

    const std::string good = *encodePocketIndex({ { pocketA, { PocketItem::make("n/a", PocketPayload::makeReference({ 1, 2, 3 }), 5) } } });
    for (std::size_t length = 0; length < good.size(); ++length)
        rejection(good.substr(0, length));
    decoded(withPayload(R"({"managed":{"filename":"f"},"x":)" + deep + std::string(200'000, ']') + "}"));
    const auto managed = decoded(withPayload(R"({"whatever":{"path":"p"},"managed":{"filename":"f"}})"));
    EXPECT_EQ(managed.at(pocketA).at(0).payload, PocketPayload::makeManaged("f"));
}

TEST(PocketIndexCodec, DatesCountFromTheStartOf2001)
{
    using namespace std::chrono;
    const auto newYear2001 = sys_days { year { 2001 } / January / 1 };
    EXPECT_EQ(referenceDateSeconds(newYear2001 + hours { 24 } + milliseconds { 500 }), 86400.5);

    PocketMap pockets;
    pockets[pocketA] = { PocketItem::make("n", PocketPayload::makeManaged("f"), std::nan("")) };
    EXPECT_EQ(encodePocketIndex(pockets), std::nullopt);
}
