#include "companion/huge_pages.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <stop_token>
#include <thread>
#include <sys/mman.h>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace kalvane::companion {

namespace {

constexpr std::uintptr_t huge_page = std::uintptr_t{1} << 21;

std::uintptr_t round_up(std::uintptr_t at) { return (at + huge_page - 1) & ~(huge_page - 1); }
std::uintptr_t round_down(std::uintptr_t at) { return at & ~(huge_page - 1); }

// Set by a program's main: a library in someone else's process (the Python module's host)
// starts no thread of its own to fault pages in.
std::atomic<bool> served{false};

// The block being populated, its worker (joined on exit by its destructor), and whether the
// worker has reached the block's end (then another block may take its place).
std::mutex populating_lock;
void* populated = nullptr;
std::atomic<bool> populated_all{false};
std::jthread populator;

// 0 while not yet known, else 1 + the page_size chosen.
std::atomic<int> chosen{0};

double seconds_per_small_fault() {
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  constexpr int batches = 4, per_batch = 16;
  const std::size_t bytes = page * (1 + batches * per_batch);
  void* mapped = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return 0.0;
  madvise(mapped, bytes, MADV_NOHUGEPAGE);
  auto* bytes_at = static_cast<volatile unsigned char*>(mapped);
  bytes_at[0] = 1;  // the page tables' own faults, outside the batches
  double fastest = std::numeric_limits<double>::infinity();
  for (int batch = 0; batch < batches; ++batch) {
    const auto started = std::chrono::steady_clock::now();
    for (int k = 1; k <= per_batch; ++k) bytes_at[page * (batch * per_batch + k)] = 1;
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    fastest = std::min(fastest, took.count() / per_batch);
  }
  munmap(mapped, bytes);
  return fastest;
}

}  // namespace

page_size page_size_here() {
  int known = chosen.load();
  if (known == 0) {
    const int measured = 1 + static_cast<int>(page_size_for(seconds_per_small_fault()));
    chosen.compare_exchange_strong(known, measured);  // a racing first use may have decided
    known = chosen.load();
  }
  return static_cast<page_size>(known - 1);
}

void* advise_huge_pages(void* block, std::size_t bytes) {
  if (!block || bytes < 4 * huge_page || page_size_here() != page_size::huge) return block;
  const auto start = reinterpret_cast<std::uintptr_t>(block);
  const std::uintptr_t first = round_up(start), last = round_down(start + bytes);
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);  // failure is harmless
  return block;
}

void populate_in_background(void* block, std::size_t bytes) {
#if defined(MADV_POPULATE_WRITE)
  const std::lock_guard<std::mutex> hold(populating_lock);
  if (!served || !block || (populated && !populated_all)) return;
  if (populator.joinable()) populator.join();
  populated = block;
  populated_all = false;
  populator = std::jthread([block, bytes](std::stop_token stop) {
    constexpr std::size_t slice = std::size_t{4} << 20;  // a free or resize waits at most one slice
    const auto start = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    std::uintptr_t at = start & ~(page - 1);  // madvise takes page-aligned ranges
    while (at < start + bytes && !stop.stop_requested()) {
      const std::size_t length = std::min<std::uintptr_t>(slice, start + bytes - at);
      if (madvise(reinterpret_cast<void*>(at), length, MADV_POPULATE_WRITE) != 0) break;  // no such advice: plain faults
      at += length;
    }
    populated_all = true;
  });
#else
  (void)block, (void)bytes;
#endif
}

void populate_now(void* block, std::size_t bytes) {
#if defined(MADV_POPULATE_WRITE)
  if (!served || !block) return;
  const std::uintptr_t page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto start = reinterpret_cast<std::uintptr_t>(block);
  const std::uintptr_t first = start & ~(page - 1);
  madvise(reinterpret_cast<void*>(first), start + bytes - first, MADV_POPULATE_WRITE);  // failure: plain faults
#else
  (void)block, (void)bytes;
#endif
}

void stop_populating(void* block) {
  const std::lock_guard<std::mutex> hold(populating_lock);
  if (!block || block != populated) return;
  populator.request_stop();
  populator.join();
  populated = nullptr;
}

void serve_heap_from_huge_pages() {
  if (!served) serve_heap_from_huge_pages(page_size_here());
}

void serve_heap_from_huge_pages(page_size pages) {
  if (served.exchange(true)) return;
  chosen = 1 + static_cast<int>(pages);
#if defined(__GLIBC__)
  // A gigabyte of address space, or a quarter of the memory on a small machine: the pad only
  // reserves addresses, and a refused one leaves glibc mapping blocks as it would anyway.
  // Kept with small pages too: what a run frees is reused, not faulted in again.
  const long physical_pages = sysconf(_SC_PHYS_PAGES), page_bytes = sysconf(_SC_PAGESIZE);
  const long memory = physical_pages > 0 && page_bytes > 0 ? physical_pages * page_bytes : 0;
  const long pad = std::clamp<long>(memory / 4, 64L << 20, 1L << 30);
  mallopt(M_ARENA_MAX, 1);  // threads too: a thread's own arena would be mapped in small pages
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max());  // never: a trimmed heap regrows unadvised
  mallopt(M_TOP_PAD, static_cast<int>(pad));
  const auto before = reinterpret_cast<std::uintptr_t>(sbrk(0));
  // A block the heap's free top cannot hold makes it grow by the pad now.
  void* volatile probe = std::malloc(2 * huge_page);
  std::free(probe);
  const auto after = reinterpret_cast<std::uintptr_t>(sbrk(0));
  if (after > before) advise_huge_pages(reinterpret_cast<void*>(before), after - before);
#endif
}

}  // namespace kalvane::companion
