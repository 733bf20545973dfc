#include "ts/service_table.h"

#include <gtest/gtest.h>

namespace kalvento {
namespace {

TEST(ServiceTable, OrderedByKindThenServiceId) {
    ServiceTable table;
    EXPECT_EQ(table.find_or_add(1025, 0), 0);
    EXPECT_EQ(table.find_or_add(101, 4), 1);
    EXPECT_EQ(table.find_or_add(1024, 0), 0);  // inserted before 1025
    EXPECT_EQ(table.find_or_add(239, 6), 3);
    EXPECT_EQ(table.find_or_add(103, 4), 3);
    EXPECT_EQ(table.find_or_add(1025, 0), 1);  // found, not added
    ASSERT_EQ(table.size(), 5u);
    const std::pair<int, int> expected[] = {{0, 1024}, {0, 1025}, {4, 101}, {4, 103}, {6, 239}};
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].networkKind, expected[i].first);
        EXPECT_EQ(table[i].serviceId, expected[i].second);
    }
    EXPECT_EQ(table.find(101, 4), 2);
    EXPECT_EQ(table.find(101, 0), -1);
}

TEST(ServiceTable, HoldsAtMost300Services) {
    ServiceTable table;
    for (int id = 0; id < 300; ++id) ASSERT_EQ(table.find_or_add(static_cast<std::uint16_t>(id * 2), 0), id);
    EXPECT_EQ(table.find_or_add(1, 0), ServiceTable::kFull);      // would go in the middle
    EXPECT_EQ(table.find_or_add(9999, 7), ServiceTable::kFull);   // would go at the end
    EXPECT_EQ(table.find_or_add(598, 0), 299);                    // present ones are still found
    EXPECT_EQ(table.size(), 300u);
}

TEST(NetworkKind, OnlyIdentifiersFourToSevenKeepTheirValue) {
    EXPECT_EQ(network_kind_of(4), 4);
    EXPECT_EQ(network_kind_of(6), 6);
    EXPECT_EQ(network_kind_of(7), 7);
    EXPECT_EQ(network_kind_of(3), 0);
    EXPECT_EQ(network_kind_of(0x7FE0), 0);
    EXPECT_EQ(network_kind_of(0x0104), 0);  // the full 16 bits count
}

}  // namespace
}  // namespace kalvento
