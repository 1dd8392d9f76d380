// The variable store's limits hold on every way a value gets in, the fast paths included.
#include <gtest/gtest.h>

#include <functional>

#include "engine/limits.h"
#include "engine/quest_error.h"
#include "engine/variable_store.h"

namespace tarvik::testing {
namespace {

const std::string kFull(Limits::kMaxTextValue, 'a');

TEST(VariableStore, NoWayInPassesTheTextLimitAndAFailedWriteChangesNothing) {
    struct Case {
        const char* path;
        std::function<bool(VariableStore&)> write;  // false: refused without a throw
    } cases[] = {
        {"Store", [](VariableStore& s) { return s.Store("v", Value::Text(kFull + "b")), true; }},
        {"StoreAt",
         [](VariableStore& s) { return s.StoreAt(s.Locate("v"), "v", Value::Text(kFull + "b")), true; }},
        {"AppendText", [](VariableStore& s) { return s.AppendText("v", "b"); }},
        {"TakeText",
         [](VariableStore& s) {
             std::string line = "v=" + kFull + "b";
             s.TakeText(std::string_view(line).substr(0, 1), line, 2, line.size() - 2);
             return true;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        VariableStore store;
        store.Store("v", Value::Text(kFull));
        bool refused = false;
        try {
            refused = !c.write(store);
        } catch (const QuestError&) {
            refused = true;
        }
        EXPECT_TRUE(refused);
        ASSERT_NE(store.Find("v"), nullptr);
        EXPECT_EQ(store.Find("v")->str.size(), kFull.size());
        EXPECT_EQ(store.names().size(), 1u);
    }
}

// A counter located before the front was let in, then written after the front cleared the store: the write
// makes a new entry rather than landing in the freed one.
TEST(VariableStore, APlaceFoundBeforeAClearIsNotWrittenThrough) {
    VariableStore store;
    store.Store("count_hall", Value::Number(1, NumKind::Double));
    const VariableStore::Place place = store.Locate("count_hall");
    store.Clear();
    store.StoreAt(place, "count_hall", Value::Number(2, NumKind::Double));
    ASSERT_EQ(store.names(), std::vector<std::string>{"count_hall"});
    EXPECT_EQ(store.Find("count_hall")->num, 2);

    const VariableStore::Place good = store.Locate("count_hall");
    store.StoreAt(good, "count_hall", Value::Text(std::string(Limits::kMaxTextValue, 'x')));
    store.Store("w", Value::Text("0"));
    EXPECT_FALSE(store.AppendText("w", "1")) << "a text that reads as 0 sums as a number";
    EXPECT_EQ(store.names().size(), 2u);
}

}  // namespace
}  // namespace tarvik::testing
