#include "mechanics/batch.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "error.hpp"
#include "mechanics/dispatch.hpp"
#include "mechanics/element.hpp"
#include "mechanics/objective.hpp"

namespace kalvane {
namespace {

// Work is handed out in blocks, several per thread, so that the others can take over most
// of the share of a thread slowed by another process; claims within a share are cheap.
constexpr long long blocks_per_thread = 16;
constexpr long long bars_per_block = 1024;  // at least; a multiple of every lane count
constexpr long long nodes_per_block = 1024;

enum phase : int { fetch_phase, law_phase, sums_phase };

long long padded(long long bars) { return (bars + widest_lanes - 1) / widest_lanes * widest_lanes; }

// Items per block for `total` items shared by `threads`: at least `least`, a multiple of
// it, and few enough blocks for the pool.
long long block_size(long long total, long long least, int threads) {
  const long long most = worker_pool::max_blocks - 1;  // room for the one-thread sum's block
  const long long wanted = blocks_per_thread * threads < most ? blocks_per_thread * threads : most;
  const long long size = (total + wanted - 1) / wanted;
  return size <= least ? least : (size + least - 1) / least * least;
}

std::uint32_t blocks_of(long long total, long long size) {
  return static_cast<std::uint32_t>((total + size - 1) / size);
}

}  // namespace

// The state of one evaluation, shared by its threads.
struct batch_objective::evaluation {
  const batch_objective* owner = nullptr;
  bar_pass pass;
  node_pass nodes;
  long long bar_total = 0;
  long long node_total = 0;
  long long bar_block = bars_per_block;
  long long node_block = nodes_per_block;
  long long position_block = nodes_per_block;
  const double* x = nullptr;
  double* u = nullptr;
  std::vector<stretch_failure> failures;  // per block of bars, its first
  std::atomic<bool> failed{false};
  double load_total = 0.0;
  double total = 0.0;

  // Phases of blocks; in the law and sums phases block 0 is the one-thread sum.
  static void run_block(void* context, int phase, std::uint32_t block) {
    evaluation& w = *static_cast<evaluation*>(context);
    switch (phase) {
      case fetch_phase: w.fetch(block); return;
      case law_phase:
        if (block == 0) w.load_total = w.load_sum();
        else w.bar_law(block - 1);
        return;
      case sums_phase:
        if (block == 0) w.total = w.energy_sum(w.load_total);
        else w.owner->node_range_(w.nodes, w.node_begin(block - 1), w.node_end(block - 1));
        return;
    }
  }

  long long node_begin(std::uint32_t block) const { return block * node_block; }
  long long node_end(std::uint32_t block) const {
    return node_begin(block) + node_block < node_total ? node_begin(block) + node_block : node_total;
  }

  // The unknowns into their nodes' rows; the prescribed rows were filled when bound.
  // Positions run in step with rows between prescribed components, so this is a copy of
  // a few long runs.
  void fetch(std::uint32_t block) const {
    const long long begin = block * position_block;
    const long long end = begin + position_block < nodes.n ? begin + position_block : nodes.n;
    const std::vector<position_run>& runs = owner->runs_;
    // The last run that starts at or before `begin`.
    auto run = std::upper_bound(runs.begin(), runs.end(), begin,
                                [](long long p, const position_run& r) { return p < r.position; }) -
               1;
    for (; run != runs.end() && run->position < end; ++run) {
      const long long from = run->position > begin ? run->position : begin;
      const long long to = run->position + run->length < end ? run->position + run->length : end;
      if (from < to)
        std::memcpy(u + run->row + (from - run->position), x + from,
                    static_cast<std::size_t>(to - from) * sizeof(double));
    }
  }

  void bar_law(std::uint32_t block) {
    const long long begin = block * bar_block;
    const long long end = begin + bar_block < bar_total ? begin + bar_block : bar_total;
    failures[block] = owner->bar_range_(pass, begin, end);
    if (failures[block].bar >= 0) failed.store(true, std::memory_order_relaxed);
  }

  // The loads node by node, the start of the total potential.
  double load_sum() const {
    const int32_t n = nodes.n;
    const int32_t* dof = nodes.dof;
    const double *unknowns = x, *loads = nodes.loads;
    double sum = 0.0;
    for (long long r = 0; r < 3 * node_total; ++r)
      if (dof[r] <= n) sum = sum - unknowns[dof[r] - 1] * loads[r];
    return sum;
  }

  // Then the energies bar by bar.
  double energy_sum(double sum) const {
    const double* energy = pass.energy;
    for (long long b = 0; b < bar_total; ++b) sum = sum + energy[b];
    return sum;
  }
};

batch_objective::batch_objective(const model& m, int requested_threads) : m_(m) {
  const int32_t nodes = m.node_count;
  auto node_rows = [nodes](const auto& a) {
    return a.first1 == 1 && a.last1 == nodes && a.first2 == 1 && a.last2 == 3 &&
           a.data.size() == static_cast<std::size_t>(3) * static_cast<std::size_t>(nodes < 0 ? 0 : nodes);
  };
  if (nodes < 0 || nodes > (1 << 30) || !node_rows(m.dof_map) || !node_rows(m.prescribed) || !node_rows(m.loads))
    return;
  if (m.bars.first != 1 || m.bars.data.size() != static_cast<std::size_t>(terms::extent(1, m.bars.last))) return;
  // Each gradient entry is gathered at its one node, so every position 1..free_count must
  // occur exactly once, as the starting point numbers them.
  const int32_t free_count = m.free_count;
  if (free_count < 0) return;
  std::vector<char> seen(static_cast<std::size_t>(free_count), 0);
  for (int32_t p : m.dof_map.data) {
    if (p < 1) return;
    if (p <= free_count && seen[p - 1]++ != 0) return;
  }
  for (char once : seen)
    if (once == 0) return;
  for (const bar_record& bar : m.bars.data)
    if (bar.node1 < 1 || bar.node1 > nodes || bar.node2 < 1 || bar.node2 > nodes) return;

  const long long bars = static_cast<long long>(m.bars.data.size());
  const std::size_t room = static_cast<std::size_t>(padded(bars));
  row1_.assign(room, 0);
  row2_.assign(room, 0);
  cx_.assign(room, 1.0);
  cy_.assign(room, 0.0);
  cz_.assign(room, 0.0);
  length0_.assign(room, 1.0);
  area_.assign(room, 0.0);
  for (long long b = 0; b < bars; ++b) {
    const bar_record& bar = m.bars.data[b];
    row1_[b] = 3 * (bar.node1 - 1);
    row2_[b] = 3 * (bar.node2 - 1);
    cx_[b] = bar.cx, cy_[b] = bar.cy, cz_[b] = bar.cz;
    length0_[b] = bar.length0, area_[b] = bar.area;
  }
  energy_.assign(room, 0.0);
  forces_.assign(4 * room + 4, 0.0);
  // Room for node 1's row, which the padding bars read, in a model without nodes. The
  // prescribed values stay where they are put now; each evaluation fills in the unknowns.
  u_.assign(3 * static_cast<std::size_t>(nodes > 0 ? nodes : 1), 0.0);
  std::vector<int32_t> row_of(static_cast<std::size_t>(free_count), 0);
  for (std::size_t r = 0; r < m.dof_map.data.size(); ++r) {
    const int32_t p = m.dof_map.data[r];
    if (p <= free_count) row_of[p - 1] = static_cast<int32_t>(r);
    else u_[r] = m.prescribed.data[r];
  }
  for (int32_t p = 0; p < free_count; ++p)
    if (runs_.empty() || row_of[p] != runs_.back().row + runs_.back().length) runs_.push_back({p, row_of[p], 1});
    else ++runs_.back().length;

  node_first_.assign(static_cast<std::size_t>(nodes) + 1, 0);
  for (const bar_record& bar : m.bars.data) {
    ++node_first_[bar.node1];
    ++node_first_[bar.node2];
  }
  for (int32_t i = 0; i < nodes; ++i) node_first_[i + 1] += node_first_[i];
  contributions_.resize(static_cast<std::size_t>(2 * bars));
  std::vector<long long> fill(node_first_.begin(), node_first_.end() - 1);
  for (long long b = 0; b < bars; ++b) {
    const bar_record& bar = m.bars.data[b];
    contributions_[fill[bar.node1 - 1]++] = static_cast<std::uint32_t>(2 * b);
    contributions_[fill[bar.node2 - 1]++] = static_cast<std::uint32_t>(2 * b + 1);
  }

  lanes_ = lane_width();
  bar_range_ = bar_range_for(lanes_);
  node_range_ = node_range_for(lanes_);
  work_ = std::make_unique<evaluation>();
  evaluation& w = *work_;
  w.owner = this;
  w.bar_total = bars;
  w.node_total = nodes;
  const int threads = requested_threads > 0 ? requested_threads : thread_count(bars);
  w.bar_block = block_size(bars, bars_per_block, threads);
  w.node_block = block_size(nodes, nodes_per_block, threads);
  w.position_block = block_size(free_count, 3 * nodes_per_block, threads);
  w.failures.resize(blocks_of(bars, w.bar_block));
  if (threads > 1) pool_ = std::make_unique<worker_pool>(threads, &evaluation::run_block, &w);
  bar_pass& p = work_->pass;
  p.u = u_.data();
  p.row1 = row1_.data(), p.row2 = row2_.data();
  p.cx = cx_.data(), p.cy = cy_.data(), p.cz = cz_.data();
  p.length0 = length0_.data(), p.area = area_.data();
  p.energy = energy_.data();
  // The quads are loaded and stored whole: from the first 32-byte boundary in forces_,
  // at most three reals in, for which it has room.
  const std::uintptr_t misalignment = reinterpret_cast<std::uintptr_t>(forces_.data()) % 32;
  p.forces = forces_.data() + (misalignment == 0 ? 0 : (32 - misalignment) / sizeof(double));
  node_pass& q = work_->nodes;
  q.node_first = node_first_.data();
  q.contributions = contributions_.data();
  q.forces = p.forces;
  checked_ = bar_range_ != nullptr && node_range_ != nullptr;
}

batch_objective::~batch_objective() = default;

double batch_objective::operator()(int32_t n, const terms::fmat1& x, terms::fmat1& g) const {
  const model& m = m_;
  if (!checked_ || n != m.free_count || n < 0 || x.first != 1 || x.length() < n || g.first != 1 || g.length() < n)
    return objective(m, n, x, g);

  evaluation& w = *work_;
  w.nodes.n = n;
  w.nodes.dof = m.dof_map.data.data();
  w.nodes.loads = m.loads.data.data();
  w.nodes.g = g.data.data();
  w.x = x.data.data();
  w.u = u_.data();
  // The plain loop meets the material at its first bar, after the loads, which raise nothing.
  if (w.bar_total > 0) w.pass.law = constants_of(material_of(m));

  auto run = [&](phase p, std::uint32_t blocks) {
    if (pool_) pool_->run(p, blocks);
    else
      for (std::uint32_t b = 0; b < blocks; ++b) evaluation::run_block(&w, p, b);
  };
  const std::uint32_t node_blocks = blocks_of(w.node_total, w.node_block);
  if (w.bar_total > 0) {
    if (w.failed.load(std::memory_order_relaxed)) {
      for (stretch_failure& f : w.failures) f = stretch_failure{};
      w.failed.store(false, std::memory_order_relaxed);
    }
    run(fetch_phase, blocks_of(n, w.position_block));
    run(law_phase, 1 + static_cast<std::uint32_t>(w.failures.size()));
    // The plain loop stops at the first bar in bar order whose stretch squared is negative.
    if (w.failed.load(std::memory_order_relaxed))
      for (const stretch_failure& f : w.failures)
        if (f.bar >= 0) negative_stretch_failure(m, m.bars.data[f.bar], f.lambda2);
  } else {
    w.load_total = w.load_sum();
  }
  run(sums_phase, 1 + node_blocks);
  return w.total;
}

}  // namespace kalvane
