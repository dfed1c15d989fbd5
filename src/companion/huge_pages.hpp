#pragma once
// Memory in huge pages for the companions' large models, where they pay. Which pages are
// cheaper to fault in depends on the machine more than on the program:
// - where each fault of a 4 KiB page traps to the hypervisor (about 13 microseconds on one
//   2-core virtual machine the benches ran on: 3.4 s for a gigabyte touched), a 2 MiB page
//   costing one trap pays for itself many times over;
// - where the host takes back the guest's free memory (free page reporting, which reports
//   free blocks of 2 MiB and more), a huge page is nearly always one the host must back
//   again, 4 KiB at a time (2.3 s a gigabyte on another, a KVM guest), while small pages
//   come recycled at 1.3 microseconds a fault (0.33 s a gigabyte).
// So the first large block measures what a small page's fault costs, and huge pages are
// advised only where it is dear.
#include <cstddef>

namespace kalvane::companion {

enum class page_size { small, huge };

// The pages to ask for, from what faulting in one small page costs: huge ones from
// `dear_small_fault` seconds on. Below it a small fault is cheap enough that a huge page's
// first touch, which may cost the host's faults all the same, is not worth risking.
constexpr double dear_small_fault = 4e-6;
constexpr page_size page_size_for(double seconds_per_small_fault) {
  return seconds_per_small_fault >= dear_small_fault ? page_size::huge : page_size::small;
}

// This machine's choice: measured once, on first use, from the fastest of a few batches of
// faults in fresh small pages (a batch the scheduler interrupted is discarded), unless
// serve_heap_from_huge_pages was told which.
page_size page_size_here();

// Advises the kernel to back the whole 2 MiB pages inside a block of at least 8 MiB with
// huge pages, before its first touch, where page_size_here() is huge. Advice only: where
// the kernel has none, nothing changes. Returns the block.
void* advise_huge_pages(void* block, std::size_t bytes);

// Faults a block in on another thread, in slices from its start, while the caller goes on
// filling it in the same order: a factor's supernodes are filled in turn, so the traps are
// taken on the idle core ahead of the arithmetic. Only page tables are filled
// (MADV_POPULATE_WRITE), never the contents, so the caller may write the block meanwhile.
// One block at a time: another while one is in progress is left to fault as usual. Only in
// a program whose main called serve_heap_from_huge_pages: elsewhere it does nothing.
void populate_in_background(void* block, std::size_t bytes);
// Ends the background population of `block`, if any: before it is freed or resized.
void stop_populating(void* block);
// Faults a block in now, on the calling thread, in one call rather than a trap a page: for
// a thread with no idle core beside it. Only in such a program, as above.
void populate_now(void* block, std::size_t bytes);

// For a program's main, before its model is read: every block below glibc's largest mmap
// threshold (32 MiB) is taken from the heap, which grows by a large pad and is never
// trimmed, so what a run frees is reused without new faults. Where `pages` is huge (by
// default where page_size_here() is), the pad is advised once for huge pages. Larger
// blocks are mapped on their own (CHOLMOD's are advised as they come). Also allows
// populate_in_background. Idempotent: the first call decides, for advise_huge_pages too.
// The heap is left alone outside glibc. The Python module calls neither, and leaves its
// host's heap and threads alone.
void serve_heap_from_huge_pages();
void serve_heap_from_huge_pages(page_size pages);

}  // namespace kalvane::companion
