#include "ts/service_table.h"

#include <gtest/gtest.h>

namespace kalvento::test {
namespace {

TEST(ServiceTable, OrderedByKindThenServiceIdAndBounded) {
    ServiceTable table;
    // find_or_add answers the index the service has after insertion.
    const std::pair<std::uint16_t, std::uint8_t> added[] = {{1025, 0}, {101, 4}, {1024, 0},
                                                            {239, 6},  {103, 4}, {1025, 0}};
    const int indices[] = {0, 1, 0, 3, 3, 1};  // the last one is found, not added
    for (std::size_t i = 0; i < std::size(added); ++i)
        EXPECT_EQ(table.find_or_add(added[i].first, added[i].second), indices[i]) << i;
    std::vector<std::pair<int, int>> order;
    for (std::size_t i = 0; i < table.size(); ++i)
        order.emplace_back(table[i].networkKind, table[i].serviceId);
    EXPECT_EQ(order, (std::vector<std::pair<int, int>>{
                         {0, 1024}, {0, 1025}, {4, 101}, {4, 103}, {6, 239}}));
    EXPECT_EQ(table.find(101, 4), 2);
    EXPECT_EQ(table.find(101, 0), -1);

    ServiceTable full;
    for (int id = 0; id < 300; ++id)
        ASSERT_EQ(full.find_or_add(static_cast<std::uint16_t>(id * 2), 0), id);
    EXPECT_EQ(full.find_or_add(1, 0), ServiceTable::kFull);     // would go in the middle
    EXPECT_EQ(full.find_or_add(9999, 7), ServiceTable::kFull);  // would go at the end
    EXPECT_EQ(full.find_or_add(598, 0), 299);                   // present ones are still found
    EXPECT_EQ(full.size(), 300u);

    // Only network identifiers 4..7 keep their value; the full 16 bits count.
    const std::pair<int, int> kinds[] = {{4, 4}, {6, 6},      {7, 7},     {3, 0},
                                         {8, 0}, {0x7FE0, 0}, {0x0104, 0}};
    for (const auto& [network, kind] : kinds)
        EXPECT_EQ(network_kind_of(static_cast<std::uint16_t>(network)), kind) << network;
}

}  // namespace
}  // namespace kalvento::test
