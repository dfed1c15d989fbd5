#pragma once
// Memory in huge pages for the companions' large models. On a virtual machine each fault of
// a 4 KiB page traps to the hypervisor (about 13 microseconds on the 2-core machine the
// benches ran on: 3.4 s for a gigabyte touched), where a 2 MiB page costs one trap.
#include <cstddef>

namespace kalvane::companion {

// Advises the kernel to back the whole 2 MiB pages inside a block of at least 8 MiB with
// huge pages, before its first touch. Advice only: where the kernel has none, nothing
// changes. Returns the block.
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

// For a program's main, before its model is read: every block below glibc's largest mmap
// threshold (32 MiB) is taken from the heap, which grows by a large pad advised once for
// huge pages and is never trimmed, so what a run frees is reused without new faults.
// Larger blocks are mapped on their own (CHOLMOD's are advised as they come). Also allows
// populate_in_background. Idempotent; the heap is left alone outside glibc. The Python
// module calls neither, and leaves its host's heap and threads alone.
void serve_heap_from_huge_pages();

}  // namespace kalvane::companion
