// Memory in huge pages: the heap a companion's main sets up, and a block faulted in on
// another thread while its owner writes it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "companion/huge_pages.hpp"

namespace {

using namespace kalvane::companion;

// The VmFlags of the mapping that holds `at`, from /proc/self/smaps ("" when not found).
std::string flags_of_mapping(const void* at) {
  std::ifstream smaps("/proc/self/smaps");
  const auto address = reinterpret_cast<std::uintptr_t>(at);
  bool inside = false;
  for (std::string line; std::getline(smaps, line);) {
    std::uintptr_t first = 0, last = 0;
    char dash = 0;
    std::istringstream head(line);
    if (head >> std::hex >> first >> dash >> last && dash == '-') inside = first <= address && address < last;
    else if (inside && line.rfind("VmFlags:", 0) == 0) return line;
  }
  return "";
}

bool kernel_has_huge_pages() { return std::ifstream("/sys/kernel/mm/transparent_hugepage/enabled").good(); }

#if defined(__SANITIZE_ADDRESS__)
constexpr bool own_allocator = true;  // the sanitizer's malloc has no heap of glibc's
#else
constexpr bool own_allocator = false;
#endif

TEST(CompanionHugePages, TheHeapServesBlocksUpToTheThresholdFromPagesAdvisedHuge) {
  if (own_allocator) GTEST_SKIP() << "malloc is the sanitizer's";
  serve_heap_from_huge_pages(page_size::huge);  // whatever this machine's faults cost
  serve_heap_from_huge_pages(page_size::small);  // a second call changes nothing
  EXPECT_EQ(page_size::huge, page_size_here());
  void* heap_end = sbrk(0);
  // Below glibc's largest mmap threshold, from the heap's pad: no new mapping, no break moved.
  auto* block = static_cast<unsigned char*>(std::malloc(std::size_t{24} << 20));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(heap_end, sbrk(0));
  EXPECT_LT(reinterpret_cast<std::uintptr_t>(block), reinterpret_cast<std::uintptr_t>(heap_end));
  std::memset(block, 7, std::size_t{24} << 20);
  if (kernel_has_huge_pages()) {
    // The middle of the block lies in the advised part of the heap: "hg" marks MADV_HUGEPAGE.
    EXPECT_NE(flags_of_mapping(block + (std::size_t{12} << 20)).find(" hg"), std::string::npos);
  }
  std::free(block);
  EXPECT_EQ(heap_end, sbrk(0));  // never trimmed: a regrown heap would not be advised
}

TEST(CompanionHugePages, PopulatingInTheBackgroundLeavesTheOwnersWritesAlone) {
  const std::size_t bytes = std::size_t{96} << 20;
  void* mapped = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(mapped, MAP_FAILED);
  auto* block = static_cast<std::uint64_t*>(advise_huge_pages(mapped, bytes));
  serve_heap_from_huge_pages();  // as a program's main does: else nothing is populated
  populate_in_background(block, bytes);
  // A second block while the first is in progress is left to fault as usual.
  std::uint64_t other[512] = {};
  populate_in_background(other, sizeof other);
  stop_populating(other);  // not the block being populated: nothing to stop
  // Written from both ends while the worker goes through it from the start.
  const std::size_t words = bytes / sizeof(std::uint64_t);
  for (std::size_t k = 0; k < words / 2; ++k) {
    block[k] = k * 2654435761u;
    block[words - 1 - k] = ~k;
  }
  stop_populating(block);
  std::size_t wrong = 0;
  for (std::size_t k = 0; k < words / 2; ++k)
    wrong += (block[k] != k * 2654435761u) + (block[words - 1 - k] != ~k);
  EXPECT_EQ(0u, wrong);
  // With the first one stopped, the next block is taken.
  populate_in_background(block, bytes);
  stop_populating(block);
  munmap(mapped, bytes);
}

}  // namespace
