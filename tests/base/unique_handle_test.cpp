#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "base/unique_handle.h"

namespace lumo {
namespace {

// Handles are ints; -1 holds nothing (as INVALID_HANDLE_VALUE does), so 0 is a real handle.
// Every close is written to the log the traits carry.
struct LoggingTraits {
    using Handle = int;
    std::vector<int>* log = nullptr;
    static Handle Invalid() { return -1; }
    void Close(Handle h) const { log->push_back(h); }
};
using Owner = UniqueHandle<LoggingTraits>;

static_assert(!std::is_copy_constructible_v<Owner> && !std::is_copy_assignable_v<Owner>);
static_assert(std::is_nothrow_move_constructible_v<Owner> && std::is_nothrow_move_assignable_v<Owner>);

TEST(UniqueHandle, ClosesEachHandleOnceWhateverWayItLeaves) {
    struct Case {
        std::string name;
        // Runs with two owners on the same log, a holding 5 and b holding 7; answers what
        // the log held before the owners went out of scope.
        std::function<void(Owner& a, Owner& b)> act;
        std::vector<int> closedInside;
        std::vector<int> closedInTheEnd;  // the whole log once both owners are gone
    };
    const Case cases[] = {
        {"nothing done", [](Owner&, Owner&) {}, {}, {7, 5}},
        {"reset to another", [](Owner& a, Owner&) { a.reset(9); }, {5}, {5, 7, 9}},
        {"reset to nothing", [](Owner& a, Owner&) { a.reset(); }, {5}, {5, 7}},
        {"reset to the invalid value", [](Owner& a, Owner&) { a.reset(-1); }, {5}, {5, 7}},
        {"released", [](Owner& a, Owner&) { EXPECT_TRUE(a.release() == 5 && !a.valid() && a.get() == -1); }, {}, {7}},
        {"out() filled with 0, a handle like any other", [](Owner& a, Owner&) { *a.out() = 0; }, {5}, {5, 7, 0}},
        {"out() left empty", [](Owner& a, Owner&) { a.out(); }, {5}, {5, 7}},
        {"moved into a new owner", [](Owner& a, Owner&) { Owner c(std::move(a)); }, {5}, {5, 7}},
        {"moved over a held handle", [](Owner& a, Owner& b) { b = std::move(a); }, {7}, {7, 5}},
        {"moved onto itself", [](Owner& a, Owner&) { a = std::move(*&a); }, {}, {7, 5}},
        {"moved out and back", [](Owner& a, Owner& b) { b = std::move(a = Owner(std::move(a))); }, {7}, {7, 5}},
    };
    for (const Case& c : cases) {
        std::vector<int> log;
        {
            Owner a(5, LoggingTraits{&log});
            Owner b(7, LoggingTraits{&log});
            c.act(a, b);
            EXPECT_EQ(log, c.closedInside) << c.name;
        }
        EXPECT_EQ(log, c.closedInTheEnd) << c.name;
    }
}

// b's own handle goes through b's traits; the one it takes keeps a's.
TEST(UniqueHandle, AHandleIsClosedThroughTheTraitsItCameWith) {
    std::vector<int> first, second;
    {
        Owner a(5, LoggingTraits{&first});
        Owner b(7, LoggingTraits{&second});
        b = std::move(a);
        b.reset(8);
    }
    EXPECT_EQ(first, (std::vector<int>{5, 8}));
    EXPECT_EQ(second, std::vector<int>{7});
}

// A traits type without state: it takes no room beside the handle, and a static Close works.
struct StaticTraits {
    using Handle = void*;
    static inline int closed = 0;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle) { ++closed; }
};

static_assert(sizeof(UniqueHandle<StaticTraits>) == sizeof(void*));

TEST(UniqueHandle, TraitsWithoutStateCloseThroughAStaticCall) {
    StaticTraits::closed = 0;
    int a = 0;
    {
        std::vector<UniqueHandle<StaticTraits>> owners;
        owners.emplace_back(&a);
        owners.emplace_back();  // holds nothing: not closed
        owners.erase(owners.begin());
        EXPECT_EQ(StaticTraits::closed, 1);
    }
    EXPECT_EQ(StaticTraits::closed, 1);
}

}  // namespace
}  // namespace lumo
