// The line table's allocator: small tables on the heap, large ones mapped;
// growth across the boundary keeps every element, and every byte of a
// mapped table is writable.
#include "asm/line_table.h"

#include <gtest/gtest.h>

#include <string>

namespace zelo::assembler {
namespace {

struct Row
{
    std::string text;
    char filler[200] = {};
};

TEST(LineTable, GrowsAcrossTheMappedSizeKeepingEveryRow)
{
    LineTable<Row> rows;
    // From a few rows on the heap to tables of several huge pages.
    for (int n = 0; n < 20000; ++n) {
        rows.push_back({"line " + std::to_string(n) + std::string(n % 40, '.')});
        rows.back().filler[n % 200] = static_cast<char>(n);
    }
    for (int n = 0; n < 20000; ++n) {
        ASSERT_EQ(rows[n].text, "line " + std::to_string(n) + std::string(n % 40, '.'));
        ASSERT_EQ(rows[n].filler[n % 200], static_cast<char>(n));
    }
}

TEST(LineTable, MappedTablesAreWholeAndReleased)
{
    // Sizes just below, at and above the mapping threshold and the 2 MB page:
    // every byte can be written, and releasing them repeatedly does not fail.
    for (std::size_t bytes : {line_table_detail::kMappedFrom - 1, line_table_detail::kMappedFrom,
                              line_table_detail::kHugePage - 1, line_table_detail::kHugePage,
                              line_table_detail::kHugePage + 1, 5 * line_table_detail::kHugePage + 17}) {
        for (int round = 0; round < 3; ++round) {
            LineTableAllocator<char> allocator;
            char* p = allocator.allocate(bytes);
            for (std::size_t k = 0; k < bytes; k += 997) p[k] = static_cast<char>(k);
            p[bytes - 1] = 'z';
            EXPECT_EQ(p[bytes - 1], 'z');
            allocator.deallocate(p, bytes);
        }
    }
}

}  // namespace
}  // namespace zelo::assembler
