#include "mechanics/batch.hpp"

#include <bit>

#include "error.hpp"
#include "mechanics/dispatch.hpp"
#include "mechanics/element.hpp"
#include "mechanics/objective.hpp"

namespace kalvane {
namespace {

// Work is handed out in blocks, so that a thread slowed by another process takes fewer.
constexpr long long bars_per_block = 1024;  // a multiple of every lane count
constexpr long long nodes_per_block = 512;

long long padded(long long bars) { return (bars + widest_lanes - 1) / widest_lanes * widest_lanes; }

}  // namespace

// The state of one evaluation, shared by its threads.
struct batch_objective::evaluation {
  const batch_objective* owner = nullptr;
  bar_pass pass;
  long long bar_total = 0;
  const double* loads = nullptr;
  double* g = nullptr;
  std::atomic<long long> next_bars{0};
  std::atomic<long long> next_nodes{0};
  std::vector<stretch_failure> failures;  // per thread, the first of its blocks
  double total = 0.0;

  void bar_law_part(int thread) {
    stretch_failure first;
    for (;;) {
      const long long begin = next_bars.fetch_add(1, std::memory_order_relaxed) * bars_per_block;
      if (begin >= bar_total) break;
      const long long end = begin + bars_per_block < bar_total ? begin + bars_per_block : bar_total;
      first = owner->bar_range_(pass, begin, end);
      // Blocks reach each thread in increasing order, so its first failure is its earliest.
      if (first.bar >= 0) break;
    }
    failures[thread] = first;
  }

  void sums_part(int thread) {
    if (thread == 0) total = energy_sum();
    const long long nodes = owner->m_.node_count;
    for (;;) {
      const long long begin = next_nodes.fetch_add(1, std::memory_order_relaxed) * nodes_per_block;
      if (begin >= nodes) break;
      gather(begin, begin + nodes_per_block < nodes ? begin + nodes_per_block : nodes);
    }
  }

  // The loads node by node, then the energies bar by bar.
  double energy_sum() const {
    const int32_t n = pass.n;
    const int32_t* dof = pass.dof;
    const double* x = pass.x;
    const long long components = 3LL * owner->m_.node_count;
    double sum = 0.0;
    for (long long r = 0; r < components; ++r)
      if (dof[r] <= n) sum = sum - x[dof[r] - 1] * loads[r];
    const double* energy = pass.energy;
    for (long long b = 0; b < bar_total; ++b) sum = sum + energy[b];
    return sum;
  }

  // The gradient entries of nodes [begin, end).
  void gather(long long begin, long long end) const {
    const int32_t n = pass.n;
    const long long* first = owner->node_first_.data();
    const std::uint32_t* entries = owner->contributions_.data();
    const double *fx = pass.fx, *fy = pass.fy, *fz = pass.fz;
    for (long long i = begin; i < end; ++i) {
      const int32_t* d = pass.dof + 3 * i;
      if (d[0] > n && d[1] > n && d[2] > n) continue;
      const double* load = loads + 3 * i;
      double gx = -load[0], gy = -load[1], gz = -load[2];
      for (long long k = first[i]; k < first[i + 1]; ++k) {
        const std::uint32_t entry = entries[k];
        const std::uint32_t b = entry >> 1;
        // node1 receives the negated forces: the sign bit flipped, as unary minus does.
        const std::uint64_t sign = static_cast<std::uint64_t>(~entry & 1u) << 63;
        gx = gx + std::bit_cast<double>(std::bit_cast<std::uint64_t>(fx[b]) ^ sign);
        gy = gy + std::bit_cast<double>(std::bit_cast<std::uint64_t>(fy[b]) ^ sign);
        gz = gz + std::bit_cast<double>(std::bit_cast<std::uint64_t>(fz[b]) ^ sign);
      }
      if (d[0] <= n) g[d[0] - 1] = gx;
      if (d[1] <= n) g[d[1] - 1] = gy;
      if (d[2] <= n) g[d[2] - 1] = gz;
    }
  }
};

batch_objective::batch_objective(const model& m) : m_(m) {
  const int32_t nodes = m.node_count;
  auto node_rows = [nodes](const auto& a) {
    return a.first1 == 1 && a.last1 == nodes && a.first2 == 1 && a.last2 == 3 &&
           a.data.size() == static_cast<std::size_t>(3) * static_cast<std::size_t>(nodes < 0 ? 0 : nodes);
  };
  if (nodes < 0 || !node_rows(m.dof_map) || !node_rows(m.prescribed) || !node_rows(m.loads)) return;
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
  const std::size_t room = static_cast<std::size_t>(padded(bars));
  energy_.assign(room, 0.0);
  fx_.assign(room, 0.0);
  fy_.assign(room, 0.0);
  fz_.assign(room, 0.0);

  lanes_ = lane_width();
  bar_range_ = bar_range_for(lanes_);
  const int threads = thread_count(bars);
  if (threads > 1) pool_ = std::make_unique<worker_pool>(threads);
  work_ = std::make_unique<evaluation>();
  work_->owner = this;
  work_->failures.resize(static_cast<std::size_t>(this->threads()));
  checked_ = bar_range_ != nullptr;
}

batch_objective::~batch_objective() = default;

double batch_objective::operator()(int32_t n, const terms::fmat1& x, terms::fmat1& g) const {
  const model& m = m_;
  if (!checked_ || n != m.free_count || n < 0 || x.first != 1 || x.length() < n || g.first != 1 || g.length() < n)
    return objective(m, n, x, g);

  evaluation& w = *work_;
  w.bar_total = static_cast<long long>(m.bars.data.size());
  w.loads = m.loads.data.data();
  w.g = g.data.data();
  bar_pass& p = w.pass;
  p.bars = m.bars.data.data();
  p.dof = m.dof_map.data.data();
  p.prescribed = m.prescribed.data.data();
  p.x = x.data.data();
  p.n = n;
  p.energy = energy_.data();
  p.fx = fx_.data();
  p.fy = fy_.data();
  p.fz = fz_.data();
  // The plain loop meets the material at its first bar, after the loads, which raise nothing.
  if (w.bar_total > 0) p.law = constants_of(material_of(m));

  w.next_bars.store(0, std::memory_order_relaxed);
  auto law_job = [](void* context, int thread) { static_cast<evaluation*>(context)->bar_law_part(thread); };
  if (pool_) pool_->run(law_job, &w);
  else law_job(&w, 0);
  // The plain loop stops at the first bar in bar order whose stretch squared is negative.
  const stretch_failure* first = nullptr;
  for (const stretch_failure& f : w.failures)
    if (f.bar >= 0 && (first == nullptr || f.bar < first->bar)) first = &f;
  if (first != nullptr) negative_stretch_failure(m, p.bars[first->bar], first->lambda2);

  w.next_nodes.store(0, std::memory_order_relaxed);
  auto sums_job = [](void* context, int thread) { static_cast<evaluation*>(context)->sums_part(thread); };
  if (pool_) pool_->run(sums_job, &w);
  else sums_job(&w, 0);
  return w.total;
}

}  // namespace kalvane
