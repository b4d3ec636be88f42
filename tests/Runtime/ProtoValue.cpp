#include "Runtime/ProtoValue.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

ProtoValue Sample() {
    ProtoValue v;
    v[L"http"][L"code"] = 404;
    v[L"list"].append(ProtoValue(1));
    v[L"list"].append(ProtoValue(L"two"));
    return v;
}

ProtoValue OneElement() {
    ProtoValue v;
    v.append(ProtoValue(1));
    return v;
}

TEST(ProtoValue, WritingThroughKeysBuildsObjects) {
    ProtoValue v;
    v[L"http"][L"code"] = 404;
    EXPECT_EQ(v.type(), ProtoValue::Object);
    EXPECT_EQ(v.memberNames(), std::vector<std::wstring>{L"http"});
    EXPECT_EQ(v.get(L"http").type(), ProtoValue::Object);
    EXPECT_EQ(v.get(L"http").size(), 1u);
    EXPECT_EQ(v.get(L"http").get(L"code").type(), ProtoValue::Integer);
    EXPECT_EQ(v.get(L"http").get(L"code").integer(), 404);
}

TEST(ProtoValue, GetNeverInsertsButIndexingDoes) {
    ProtoValue v = Sample();
    EXPECT_TRUE(v.get(L"absent").isNull());
    EXPECT_FALSE(v.isMember(L"absent"));
    EXPECT_EQ(v.size(), 2u);
    EXPECT_TRUE(v[L"absent"].isNull());
    EXPECT_TRUE(v.isMember(L"absent"));
    EXPECT_EQ(v.size(), 3u);
    EXPECT_FALSE(ProtoValue(5).isMember(L"http"));
    EXPECT_TRUE(ProtoValue(5).get(L"http").isNull());
}

TEST(ProtoValue, ArrayIndexing) {
    ProtoValue v(ProtoValue::Array);
    EXPECT_TRUE(v[0].isNull());
    EXPECT_EQ(v.size(), 1u);
    v[1u] = L"x";
    EXPECT_EQ(v[1].string(), L"x");
    ProtoValue appended;
    appended.append(ProtoValue(7));
    EXPECT_EQ(appended.type(), ProtoValue::Array);
    EXPECT_EQ(appended.size(), 1u);
    EXPECT_EQ(appended[0].integer(), 7);
}

TEST(ProtoValue, MisuseThrowsCodeAndMessage) {
    const struct {
        const char* what;
        std::function<void(ProtoValue&)> op;
        ProtoValue start;
        std::int32_t code;
        const wchar_t* message;
        ProtoValue::ValueType after;
    } cases[] = {
        {"index past the end", [](ProtoValue& v) { v[2]; }, OneElement(), 1,
         L"ProtoValue operator[int] out of range", ProtoValue::Array},
        {"index on null", [](ProtoValue& v) { v[5]; }, ProtoValue(), 1,
         L"ProtoValue operator[int] out of range", ProtoValue::Array},
        {"negative index", [](ProtoValue& v) { v[-1]; }, ProtoValue(ProtoValue::Array), 1,
         L"ProtoValue operator[int] out of range", ProtoValue::Array},
        {"index on object", [](ProtoValue& v) { v[0]; }, Sample(), 1,
         L"ProtoValue operator[int] out of range", ProtoValue::Object},
        {"append on object", [](ProtoValue& v) { v.append(ProtoValue(1)); }, Sample(), 1,
         L"ProtoValue operator[int] out of range", ProtoValue::Object},
        {"append on integer", [](ProtoValue& v) { v.append(ProtoValue(1)); }, ProtoValue(3), 1,
         L"ProtoValue operator[int] out of range", ProtoValue::Integer},
        {"key on array", [](ProtoValue& v) { v[L"k"]; }, Sample()[L"list"], 2,
         L"ProtoValue operator[string] wrong type", ProtoValue::Array},
        {"key on string", [](ProtoValue& v) { v[std::wstring(L"k")]; }, ProtoValue(L"s"), 2,
         L"ProtoValue operator[string] wrong type", ProtoValue::String},
        {"integer of string", [](ProtoValue& v) { v.integer(); }, ProtoValue(L"s"), 3,
         L"ProtoValue::integer wrong type", ProtoValue::String},
        {"string of integer", [](ProtoValue& v) { v.string(); }, ProtoValue(1), 3,
         L"ProtoValue::string wrong type", ProtoValue::Integer},
        {"string of object", [](ProtoValue& v) { v.string(); }, Sample(), 3, L"ProtoValue::string wrong type",
         ProtoValue::Object},
    };
    for (const auto& c : cases) {
        ProtoValue v = c.start;
        try {
            c.op(v);
            ADD_FAILURE() << c.what << ": no exception";
        } catch (const ProtoValueException& e) {
            EXPECT_EQ(e.code, c.code) << c.what;
            EXPECT_EQ(e.message, c.message) << c.what;
        }
        EXPECT_EQ(v.type(), c.after) << c.what;
    }
    const ProtoValue constString(L"s");
    EXPECT_THROW(constString.integer(), ProtoValueException);
}

TEST(ProtoValue, NullReadsAsZeroAndEmptyAndWritesNeverReachTheSharedConstants) {
    ProtoValue null;
    EXPECT_EQ(null.integer(), 0);
    EXPECT_EQ(null.string(), L"");
    null.integer() = 7;
    null.string() = L"changed";
    EXPECT_TRUE(null.isNull());
    const ProtoValue other;
    EXPECT_EQ(other.integer(), 0);
    EXPECT_EQ(other.string(), L"");
    EXPECT_EQ(ProtoValue().integer(), 0);
    EXPECT_EQ(Sample().get(L"absent").integer(), 0);
    EXPECT_EQ(Sample().get(L"absent").string(), L"");
}

TEST(ProtoValue, CopiesAreDeep) {
    const ProtoValue source = Sample();
    ProtoValue copy(source);
    copy[L"http"][L"code"] = 200;
    copy[L"list"][0] = L"changed";
    ProtoValue assigned;
    assigned = source;
    assigned[L"list"].append(ProtoValue(3));
    EXPECT_EQ(source.get(L"http").get(L"code").integer(), 404);
    EXPECT_EQ(source.get(L"list").size(), 2u);
    EXPECT_EQ(Sample(), source);
    EXPECT_FALSE(copy == source);
}

TEST(ProtoValue, AssigningFromOwnDescendantsIsSafe) {
    ProtoValue v = Sample();
    v = v[L"http"];
    EXPECT_EQ(v.memberNames(), std::vector<std::wstring>{L"code"});
    EXPECT_EQ(v[L"code"].integer(), 404);

    ProtoValue list = Sample()[L"list"];
    for (int i = 0; i < 8; ++i) {
        list.append(list[0]); // the element is copied before the array grows
    }
    EXPECT_EQ(list.size(), 10u);
    EXPECT_EQ(list[9].integer(), 1);

    ProtoValue nested = Sample();
    nested[L"self"] = nested;
    EXPECT_EQ(nested.get(L"self").get(L"http").get(L"code").integer(), 404);
    EXPECT_TRUE(nested.get(L"self").get(L"self").isNull()); // inserted before the copy was taken

    ProtoValue moved = Sample();
    moved = std::move(moved[L"list"]);
    EXPECT_EQ(moved.size(), 2u);
    EXPECT_EQ(moved[1].string(), L"two");
}

TEST(ProtoValue, KeysAreOrderedByCodeUnits) {
    ProtoValue v;
    for (const wchar_t* key : {L"b", L"ab", L"B", L"a", L"中"}) {
        v[key] = 1;
    }
    EXPECT_EQ(v.memberNames(), (std::vector<std::wstring>{L"B", L"a", L"ab", L"b", L"中"}));
}

TEST(ProtoValue, ConstructionByKind) {
    EXPECT_EQ(ProtoValue(ProtoValue::Integer).integer(), 0);
    EXPECT_EQ(ProtoValue(ProtoValue::String).string(), L"");
    EXPECT_EQ(ProtoValue(ProtoValue::Array).size(), 0u);
    EXPECT_EQ(ProtoValue(ProtoValue::Object).type(), ProtoValue::Object);
    EXPECT_EQ(ProtoValue(std::int64_t{-5000000000}).integer(), -5000000000);
    ProtoValue cleared = Sample();
    cleared.clear();
    EXPECT_TRUE(cleared.isNull());
}

} // namespace
