// The growable array behind script arrays: elements and their references
// survive every move of the buffer, operations whose argument is one of the
// array's own elements see it intact, and elements leave only after the
// array is consistent again.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <vector>

#include "aobject.h"

namespace {

using Values = ReallocVector<SQValue>;

std::vector<SQInteger> ints_of(const Values &values) {
    std::vector<SQInteger> out;
    for (const SQValue &v : values) out.push_back(v._type == OT_INTEGER ? sq_int(v) : -1);
    return out;
}

Values numbers(SQInteger count) {
    Values values;
    for (SQInteger i = 0; i < count; ++i) values.push_back(SQValue(i));
    return values;
}

TEST(ReallocVectorTest, GrowingKeepsEveryElementAndItsReference) {
    SQSharedState ss;
    SQValue shared(SQString::create(&ss, "shared"));
    const auto refs_before = sq_str(shared)->refs;
    {
        Values values;
        for (int i = 0; i < 5000; ++i) {
            values.push_back(i % 2 ? shared : SQValue(static_cast<SQInteger>(i)));
        }
        EXPECT_EQ(sq_str(shared)->refs, refs_before + 2500);
        Values copy(values);
        EXPECT_EQ(sq_str(shared)->refs, refs_before + 5000);
        for (int i = 0; i < 5000; i += 2) ASSERT_EQ(sq_int(copy[static_cast<size_t>(i)]), i);
        Values moved(std::move(copy));
        EXPECT_TRUE(copy.empty());
        EXPECT_EQ(moved.size(), 5000u);
        EXPECT_EQ(sq_str(shared)->refs, refs_before + 5000);
        moved.resize(1);
        EXPECT_EQ(sq_str(shared)->refs, refs_before + 2500);
    }
    EXPECT_EQ(sq_str(shared)->refs, refs_before);
}

// Each operation takes its argument from the array itself, with the array
// full (so the buffer moves) and with room to spare.
TEST(ReallocVectorTest, OperationsOnTheArraysOwnElements) {
    struct Case {
        const char *name;
        std::function<void(Values &)> op;
        std::vector<SQInteger> full;    // result starting from 4 elements, capacity 4
        std::vector<SQInteger> roomy;   // result starting from 4 elements, capacity 16
    };
    const std::vector<Case> cases = {
        {"push_back own", [](Values &a) { a.push_back(a[1]); }, {0, 1, 2, 3, 1}, {0, 1, 2, 3, 1}},
        {"push_back moved own", [](Values &a) { a.push_back(std::move(a[3])); }, {0, 1, 2, -1, 3}, {0, 1, 2, -1, 3}},
        {"insert own at front", [](Values &a) { a.insert(a.begin(), a[3]); }, {3, 0, 1, 2, 3}, {3, 0, 1, 2, 3}},
        {"insert at end", [](Values &a) { a.insert(a.end(), a[0]); }, {0, 1, 2, 3, 0}, {0, 1, 2, 3, 0}},
        {"append itself", [](Values &a) { a.append(a.begin(), a.end()); },
         {0, 1, 2, 3, 0, 1, 2, 3}, {0, 1, 2, 3, 0, 1, 2, 3}},
        {"append own tail", [](Values &a) { a.append(a.begin() + 2, a.end()); }, {0, 1, 2, 3, 2, 3}, {0, 1, 2, 3, 2, 3}},
        {"resize filled with own", [](Values &a) { a.resize(6, a[2]); }, {0, 1, 2, 3, 2, 2}, {0, 1, 2, 3, 2, 2}},
        {"erase first", [](Values &a) { a.erase(a.begin()); }, {1, 2, 3}, {1, 2, 3}},
        {"erase last", [](Values &a) { a.erase(a.end() - 1); }, {0, 1, 2}, {0, 1, 2}},
        {"assign own slice", [](Values &a) { a.assign(a.begin() + 1, a.begin() + 3); }, {1, 2}, {1, 2}},
    };
    for (const Case &c : cases) {
        Values full = numbers(4);
        ASSERT_EQ(full.capacity(), 4u);
        c.op(full);
        EXPECT_EQ(ints_of(full), c.full) << c.name << " (full)";

        Values roomy = numbers(4);
        roomy.reserve(16);
        c.op(roomy);
        EXPECT_EQ(ints_of(roomy), c.roomy) << c.name << " (room to spare)";
    }
}

// A release hook that looks at the array sees it already without the
// element that is leaving.
const Values *g_watched = nullptr;
std::vector<size_t> g_sizes_seen;
SQInteger record_size(SQUserPointer, SQInteger) {
    g_sizes_seen.push_back(g_watched->size());
    return 0;
}

TEST(ReallocVectorTest, ElementsLeaveOnlyWhenTheArrayIsConsistent) {
    SQSharedState ss;
    auto hooked = [&ss] {
        SQValue ud(SQUserData::create(&ss, 1));
        sq_userdata(ud)->hook = record_size;
        return ud;
    };
    Values values;
    g_watched = &values;
    for (int i = 0; i < 6; ++i) values.push_back(hooked());
    g_sizes_seen.clear();
    values.erase(values.begin() + 2);  // 6 -> 5
    values.pop_back();                 // 5 -> 4
    values.resize(2);                  // 4 -> 3 -> 2
    values.clear();                    // 2 -> 1 -> 0
    EXPECT_EQ(g_sizes_seen, (std::vector<size_t>{5, 4, 3, 2, 1, 0}));
    g_watched = nullptr;
}

TEST(ReallocVectorTest, AnImpossibleSizeThrowsAndChangesNothing) {
    Values values = numbers(3);
    EXPECT_THROW(values.reserve(~size_t(0) / 4), std::bad_alloc);
    EXPECT_EQ(ints_of(values), (std::vector<SQInteger>{0, 1, 2}));
    values.shrink_to_fit();
    EXPECT_EQ(values.capacity(), 3u);
    values.push_back(SQValue(SQInteger(3)));
    EXPECT_EQ(ints_of(values), (std::vector<SQInteger>{0, 1, 2, 3}));
}

}  // namespace
