#pragma once
// Big buffers that are filled once (the loaded data file, the node pools)
// cost one page fault per 4 KiB on first touch: on a decade of data that is
// some 30,000 faults, more time than the whole computation. Asking the kernel
// for huge pages on such ranges turns them into a few dozen. Only a hint:
// where the platform has no such thing, nothing happens.

#include <cstddef>

// Advises huge pages for the whole 2 MiB pages inside [data, data + bytes).
void adviseHugePages(void* data, std::size_t bytes) noexcept;

constexpr std::size_t kHugePageSize = std::size_t{2} << 20;
