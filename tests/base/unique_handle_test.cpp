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

static_assert(!std::is_copy_constructible_v<Owner> && std::is_nothrow_move_assignable_v<Owner>);

// Two owners: a holds 5 and logs to `first`, b holds 7 and logs to `second`. A handle is closed
// once, through the traits it came with.
TEST(UniqueHandle, ClosesEachHandleOnceThroughItsOwnTraitsWhateverWayItLeaves) {
    struct Case {
        std::string name;
        std::function<void(Owner& a, Owner& b)> act;
        std::vector<int> first, second;  // the logs once both owners are gone
    };
    const Case cases[] = {
        {"nothing done", [](Owner&, Owner&) {}, {5}, {7}},
        {"reset to another", [](Owner& a, Owner&) { a.reset(9); }, {5, 9}, {7}},
        {"reset to the invalid value", [](Owner& a, Owner&) { a.reset(-1); }, {5}, {7}},
        {"released", [](Owner& a, Owner&) { EXPECT_TRUE(a.release() == 5 && !a.valid() && a.get() == -1); }, {}, {7}},
        {"out() filled with 0, a handle like any other", [](Owner& a, Owner&) { *a.out() = 0; }, {5, 0}, {7}},
        {"moved into a new owner", [](Owner& a, Owner&) { Owner c(std::move(a)); }, {5}, {7}},
        {"moved over a held handle", [](Owner& a, Owner& b) { b = std::move(a); }, {5}, {7}},
        {"moved over and reset", [](Owner& a, Owner& b) { (b = std::move(a)).reset(8); }, {5, 8}, {7}},
        {"moved onto itself", [](Owner& a, Owner&) { a = std::move(*&a); }, {5}, {7}},
    };
    for (const Case& c : cases) {
        std::vector<int> first, second;
        {
            Owner a(5, LoggingTraits{&first}), b(7, LoggingTraits{&second});
            c.act(a, b);
        }
        EXPECT_EQ(first, c.first) << c.name;
        EXPECT_EQ(second, c.second) << c.name;
    }
}

}  // namespace
}  // namespace lumo
