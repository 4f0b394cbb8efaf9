#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "json/engine_pool.h"
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

// A clean engine of its own is parsed into again, not swapped for another.
TEST(EngineReuse, ALoadKeepsAnEngineNoCopyShares) {
    JsonObject json = JsonObject::Create();
    const ScriptEngine* engine = json.GetEngine().get();
    JsonError error;
    ASSERT_TRUE(json.Load(R"({"w":1})", false, error, false));
    EXPECT_EQ(json.GetEngine().get(), engine);
    EXPECT_EQ(json.GetText("w", false), "1");
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

// The reset script counts how often a heap came back: 0 on a fresh one.
class EnginePoolTest : public ::testing::Test {
  protected:
    void TearDown() override { ScriptEngine::SetMemoryLimit(limit_); }
    static double Returns(const std::shared_ptr<ScriptEngine>& engine) {
        return engine->ReadNumber("returns");
    }
    const std::size_t limit_ = ScriptEngine::MemoryLimit();
    EnginePool pool_{"var returns = 0;", "returns = returns + 1;", 2};
};

TEST_F(EnginePoolTest, AFreshHeapComesBackOnlyWhileClean) {
    std::shared_ptr<ScriptEngine> engine = pool_.Take();
    ASSERT_TRUE(engine);
    EXPECT_EQ(Returns(engine), 0);
    engine.reset();
    engine = pool_.Take();
    EXPECT_EQ(Returns(engine), 1);

    engine->RunGlobal("var spoiled = 1;");
    engine.reset();
    EXPECT_EQ(Returns(pool_.Take()), 0);
}

TEST_F(EnginePoolTest, KeepsNoMoreThanItsCapacity) {
    std::vector<std::shared_ptr<ScriptEngine>> held;
    for (int i = 0; i < 3; ++i)
        held.push_back(pool_.Take());
    held.clear();
    for (int i = 0; i < 3; ++i)
        held.push_back(pool_.Take());
    EXPECT_EQ(Returns(held[0]) + Returns(held[1]) + Returns(held[2]), 2);
    EXPECT_EQ(Returns(held[2]), 0);
}

TEST_F(EnginePoolTest, AHeapStartedUnderAnotherMemoryLimitIsNotHandedOut) {
    std::shared_ptr<ScriptEngine> kept = pool_.Take();
    std::shared_ptr<ScriptEngine> held = pool_.Take();
    kept.reset();  // on the shelf under the old limit
    ScriptEngine::SetMemoryLimit(limit_ / 2);
    held.reset();  // returns after the change: not taken back
    std::shared_ptr<ScriptEngine> fresh = pool_.Take();
    EXPECT_EQ(Returns(fresh), 0);
    EXPECT_EQ(fresh->Limit(), limit_ / 2);
    EXPECT_EQ(Returns(pool_.Take()), 0);
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
