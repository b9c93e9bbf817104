#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/collection.h"
#include "base/owning_collection.h"

namespace lumo {
namespace {

std::vector<std::string> Items(const Collection<std::string>& c) {
    std::vector<std::string> out;
    for (const auto& s : c)
        out.push_back(s);
    return out;
}

// Positions count from 1; keys keep finding their element while insertions and removals move it.
TEST(Collection, InsertsBeforeAndAfterPositionsAndKeys) {
    Collection<std::string> c;
    c.Add("a", "ka");
    c.Add("d", "kd");
    c.Add("b", {}, IndexKey(2));  // before position 2
    c.Add("c", {}, std::nullopt, "kd");  // after key kd -> end
    c.Add("z", "kz", "ka");  // before key ka -> front
    EXPECT_EQ(Items(c), (std::vector<std::string>{"z", "a", "b", "d", "c"}));
    EXPECT_EQ(c.Count(), 5);
    EXPECT_EQ(c.item(1), "z");
    EXPECT_EQ(c.item(5), "c");
    EXPECT_EQ(c.item("kd"), "d");
    EXPECT_EQ(c.item("ka"), "a");
    c.Remove("ka");
    EXPECT_EQ(c.item("kd"), "d");
    EXPECT_EQ(Items(c), (std::vector<std::string>{"z", "b", "d", "c"}));
}

TEST(Collection, MissingPositionsAndKeysAreErrorsThatSayWhich) {
    Collection<std::string> c;
    c.Add("a", "k");
    struct Case {
        IndexKey at;
        std::string says;
    };
    for (const Case& tc : {Case{0, "position 0"}, Case{2, "position 2"}, Case{-1, "position -1"},
                           Case{"nope", "key \"nope\""}, Case{"K", "key \"K\""}}) {
        try {
            c.item(tc.at);
            FAIL() << "no error for " << tc.says;
        } catch (const CollectionError& e) {
            EXPECT_NE(std::string(e.what()).find(tc.says), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(c.Remove(5), CollectionError);
    EXPECT_THROW(c.Add("b", "k"), CollectionError);
    EXPECT_EQ(c.Count(), 1) << "a refused add must leave the collection as it was";
    // An empty key is no key: any number of elements may have it.
    c.Add("x");
    c.Add("y", "");
    EXPECT_EQ(c.Count(), 3);
}

TEST(OwningCollection, TakeHandsOverTheElementWhichKeepsItsAddress) {
    OwningCollection<std::string> c;
    std::string& a = c.Add(std::make_unique<std::string>("a"));
    c.Add(std::make_unique<std::string>("b"));
    auto taken = c.Take(1);
    EXPECT_EQ(&a, taken.get());
    EXPECT_EQ(c.Count(), 1);
    c.Add(std::move(taken), {}, std::nullopt, IndexKey(1));
    EXPECT_EQ(c.item(2), "a");
    EXPECT_EQ(&c.item(2), &a);
}

}  // namespace
}  // namespace lumo
