#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/collection.h"
#include "base/owning_collection.h"

namespace lumo {
namespace {

// Positions count from 1; keys keep finding their element while insertions and removals move it;
// a missing position or key is an error that says which, and a refused add changes nothing.
TEST(Collection, InsertsBeforeAndAfterPositionsAndKeysAndNamesWhatIsMissing) {
    Collection<std::string> c;
    c.Add("a", "ka");
    c.Add("d", "kd");
    c.Add("b", {}, IndexKey(2));  // before position 2
    c.Add("c", {}, std::nullopt, "kd");  // after key kd -> end
    c.Add("z", "kz", "ka");  // before key ka -> front
    c.Remove("ka");
    std::string items;
    for (const auto& s : c)
        items += s;
    EXPECT_EQ(items + c.item(4) + c.item("kd"), "zbdccd");
    for (const auto& [at, says] : std::vector<std::pair<IndexKey, std::string>>{
             {0, "position 0"}, {5, "position 5"}, {-1, "position -1"}, {"ka", "key \"ka\""}, {"KD", "key \"KD\""}}) {
        try {
            c.item(at);
            ADD_FAILURE() << "no error for " << says;
        } catch (const CollectionError& e) {
            EXPECT_NE(std::string(e.what()).find(says), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(c.Remove(5), CollectionError);
    EXPECT_THROW(c.Add("b", "kd"), CollectionError);
    c.Add("x");
    c.Add("y", "");  // an empty key is no key: any number of elements may have it
    EXPECT_EQ(c.Count(), 6);
}

TEST(OwningCollection, TakeHandsOverTheElementWhichKeepsItsAddress) {
    OwningCollection<std::string> c;
    std::string& a = c.Add(std::make_unique<std::string>("a"));
    c.Add(std::make_unique<std::string>("b"));
    auto taken = c.Take(1);
    EXPECT_EQ(&a, taken.get());
    EXPECT_EQ(c.Count(), 1);
    c.Add(std::move(taken), {}, std::nullopt, IndexKey(1));
    EXPECT_EQ(&c.item(2), &a);
}

}  // namespace
}  // namespace lumo
