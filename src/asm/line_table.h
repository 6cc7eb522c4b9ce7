// The per-line table of an assembler run. It is written in full during the
// first round and, for a source near the line limit, spans megabytes:
// letting the kernel fault it in one 4 KB page at a time costs more than
// assembling the lines. Large blocks are therefore mapped on a 2 MB boundary
// with the advice to back them with transparent huge pages, and faulted in
// with one call; small ones come from the ordinary heap.
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace zelo::assembler {

namespace line_table_detail {

inline constexpr std::size_t kMappedFrom = 256 * 1024;  // bytes
inline constexpr std::size_t kHugePage = 2 * 1024 * 1024;

inline std::size_t MappedSize(std::size_t bytes)
{
    return (bytes + kHugePage - 1) / kHugePage * kHugePage;
}

inline void* MapTable(std::size_t bytes)
{
    const std::size_t size = MappedSize(bytes);
    // One huge page more than needed, trimmed to a 2 MB boundary at both ends.
    void* mapped =
        ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    char* raw = static_cast<char*>(mapped);
    const auto start = (reinterpret_cast<std::uintptr_t>(raw) + kHugePage - 1) & ~(kHugePage - 1);
    char* table = raw + (start - reinterpret_cast<std::uintptr_t>(raw));
    if (table > raw) ::munmap(raw, static_cast<std::size_t>(table - raw));
    char* end = raw + size + kHugePage;
    if (end > table + size) ::munmap(table + size, static_cast<std::size_t>(end - (table + size)));
    // Both are advice: without huge pages or the populate call (older
    // kernels) the table is faulted in as it is written.
    ::madvise(table, size, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
    ::madvise(table, size, MADV_POPULATE_WRITE);
#endif
    return table;
}

}  // namespace line_table_detail

template <class T>
struct LineTableAllocator
{
    using value_type = T;

    LineTableAllocator() = default;
    template <class U>
    LineTableAllocator(const LineTableAllocator<U>&)  // NOLINT: rebinding
    {
    }

    T* allocate(std::size_t n)
    {
        const std::size_t bytes = n * sizeof(T);
        if (bytes < line_table_detail::kMappedFrom) return static_cast<T*>(::operator new(bytes));
        return static_cast<T*>(line_table_detail::MapTable(bytes));
    }

    void deallocate(T* p, std::size_t n)
    {
        const std::size_t bytes = n * sizeof(T);
        if (bytes < line_table_detail::kMappedFrom)
            ::operator delete(p);
        else
            ::munmap(p, line_table_detail::MappedSize(bytes));
    }

    template <class U>
    bool operator==(const LineTableAllocator<U>&) const
    {
        return true;
    }
};

template <class T>
using LineTable = std::vector<T, LineTableAllocator<T>>;

}  // namespace zelo::assembler
