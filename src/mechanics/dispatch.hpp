#pragma once
// How the batched total potential uses the machine: which lane width runs the bar law (the
// fastest this processor and this build have, chosen once) and how many threads share an
// evaluation. Neither changes a bit of the result, only its speed; tests and the benchmark
// may force either.
#include <vector>

#include "mechanics/bar_pass.hpp"
#include "mechanics/node_pass.hpp"

namespace kalvane {

// The lane widths this processor can run in this build, narrowest first (1 is always there).
const std::vector<int>& lane_widths();

// The pass for `width` lanes; null when the processor or the build lacks it.
bar_range_fn bar_range_for(int width);
// The gradient gather that goes with the pass for `width` lanes; null where that pass is.
node_range_fn node_range_for(int width);

// The width new objectives use unless one is forced: AVX2's four lanes where they are
// available, else the widest.
int default_lane_width();
// The width new objectives use: the forced one, else the default.
int lane_width();
// 0 restores the default; a width that is not available is refused (returns false).
bool force_lane_width(int width);

// Threads for the evaluations of a model of `bars` bars: the forced count if any, else
// OMP_NUM_THREADS when it is a positive integer, else every hardware thread, with small
// models kept to fewer threads, since an evaluation there is shorter than a hand-over.
int thread_count(long long bars);
// 0 restores the default; any positive count is used as it is, whatever the model's size.
void force_thread_count(int threads);

// The thread count that OMP_NUM_THREADS or the hardware gives, before any forcing.
int machine_threads();

}  // namespace kalvane
