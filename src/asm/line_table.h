// The per-line table of an assembler run. It is written in full during the
// first round and, for a source near the line limit, spans megabytes:
// letting the kernel fault it in one 4 KB page at a time costs more than
// assembling the lines. Large blocks are therefore mapped with all their
// pages populated in one call; small ones come from the ordinary heap.
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <new>
#include <vector>

namespace zelo::assembler {

template <class T>
struct PopulatedAllocator
{
    using value_type = T;
    static constexpr std::size_t kMappedFrom = 256 * 1024;  // bytes

    PopulatedAllocator() = default;
    template <class U>
    PopulatedAllocator(const PopulatedAllocator<U>&)  // NOLINT: rebinding
    {
    }

    T* allocate(std::size_t n)
    {
        const std::size_t bytes = n * sizeof(T);
        if (bytes < kMappedFrom) return static_cast<T*>(::operator new(bytes));
        void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        if (p == MAP_FAILED) throw std::bad_alloc();
        return static_cast<T*>(p);
    }

    void deallocate(T* p, std::size_t n)
    {
        const std::size_t bytes = n * sizeof(T);
        if (bytes < kMappedFrom)
            ::operator delete(p);
        else
            ::munmap(p, bytes);
    }

    template <class U>
    bool operator==(const PopulatedAllocator<U>&) const
    {
        return true;
    }
};

template <class T>
using LineTable = std::vector<T, PopulatedAllocator<T>>;

}  // namespace zelo::assembler
