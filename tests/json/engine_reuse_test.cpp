#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "json/json_object.h"
#include "json_test_support.h"

namespace vantrel::test {
namespace {

// Objects made one after another may get the same engine back; what one of
// them did to the engine's globals and built-in prototypes must never reach
// the next, whichever way it got in.
TEST(EngineReuse, ChangesOfOneObjectNeverReachTheNext) {
    for (int round = 0; round < 2; ++round) {
        std::vector<JsonObject> spoilers;
        for (int i = 0; i < 6; ++i) {
            JsonObject json = Loaded(R"({"keep":"no"})");
            json.SetByEval("x", "Object.prototype.polluted = 'yes', daLeaked = 'g', 1");
            // A path that is no plain path runs whatever it holds, even in a read.
            json.GetText("y = (Array.prototype.viaRead = 'r')", false);
            json.GetCount("z = (daViaCount = 5)");
            ASSERT_EQ(json.GetText("polluted", false), "yes");
            ASSERT_EQ(json.GetText("daLeaked", false), "g");
            spoilers.push_back(json);
        }
        for (JsonObject& spoiler : spoilers)
            spoiler.Destroy();
        for (int i = 0; i < 6; ++i) {
            JsonObject json = JsonObject::Create();
            EXPECT_EQ(json.ToText(), "{}");
            EXPECT_EQ(json.TypeOf("polluted"), kJsonNull);
            EXPECT_EQ(json.GetText("daLeaked", false), "");
            EXPECT_EQ(json.GetText("daViaCount", false), "");
            bool ok = false;
            JsonObject loaded = Loaded(R"({"a":[1,2]})", &ok);
            ASSERT_TRUE(ok);
            EXPECT_EQ(loaded.GetText("a.viaRead", false), "");
            EXPECT_EQ(loaded.GetText("keep", false), "");
            EXPECT_EQ(loaded.GetCount("a"), 2);
        }
    }
}

TEST(EngineReuse, ReadsAndLoadsHandTheEngineOnEmptied) {
    JsonObject first = Loaded(R"({"cards":[{"desc":"one"}],"secret":"s"})");
    EXPECT_EQ(first.GetText("cards[0].desc", false), "one");
    EXPECT_EQ(first.GetText("['secret']", false), "s");
    first.Destroy();
    for (int i = 0; i < 6; ++i) {
        JsonObject next = JsonObject::Create();
        EXPECT_EQ(next.ToText(), "{}");
        EXPECT_EQ(next.GetText("secret", false), "");
        // The backslash marker still works after a reset.
        next.SetValue("p", L("a\\b"), false);
        EXPECT_EQ(next.GetText("p", false), "a\\b");
    }
}

TEST(EngineReuse, AnEngineSharedByACopyIsNotHandedOn) {
    JsonObject json = Loaded(R"({"v":"kept"})");
    JsonObject view = json.Copy();
    json.Destroy();
    std::vector<JsonObject> others;
    for (int i = 0; i < 6; ++i) {
        others.push_back(JsonObject::Create());
        EXPECT_NE(others.back().GetEngine(), view.GetEngine());
    }
    EXPECT_EQ(view.GetText("v", false), "kept");
    JsonError error;
    ASSERT_TRUE(view.Load(R"({"w":1})", false, error, false));
    EXPECT_EQ(view.GetText("v", false), "");
}

// Reads keep their compiled form; the same read gives the same answer and the
// same failure every time, also once far more reads than are kept have run.
TEST(EngineReuse, RepeatedReadsGiveTheSameResults) {
    std::string document = "{\"list\":[";
    for (int i = 0; i < 3000; ++i)
        document += (i ? ",\"" : "\"") + std::to_string(i) + "\"";
    document += "],\"n\":1.5}";
    JsonObject json = Loaded(document);
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < 3000; i += 7)
            ASSERT_EQ(json.GetText("list[" + std::to_string(i) + "]", false), std::to_string(i));
        EXPECT_EQ(json.GetText("list[", false), "");
        EXPECT_EQ(json.GetText("missing.deeper", false), "");
        EXPECT_EQ(json.TypeOf("missing.deeper"), kJsonOther);
        EXPECT_EQ(json.GetNumber("n"), 1.5);
        EXPECT_EQ(json.GetCount("list"), 3000);
    }
}

}  // namespace
}  // namespace vantrel::test
