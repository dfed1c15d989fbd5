#pragma once
// The total potential for the minimiser, with the bits of `objective`. The displacements
// of every node are fetched once; the bar law runs on the lanes the dispatch chose,
// its bars shared among threads, each bar's energy and node2 end forces written to per-bar
// arrays. The sums keep their fixed order:
// - the loads, node by node, by one thread while the others run the bar law (they need
//   only the unknowns), then the bar energies in bar order, by one thread;
// - each gradient entry from its load and then its bars' contributions in bar order, node1
//   before node2, as the plain loop adds them. Each node's list of (bar, end) is built once,
//   so the entries are independent gathers, shared among the threads.
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "mechanics/bar_pass.hpp"
#include "mechanics/node_pass.hpp"
#include "mechanics/pool.hpp"
#include "model/model.hpp"

namespace kalvane {

class batch_objective {
 public:
  // Checks the bar nodes and the position numbers of the prepared model once, so that no
  // evaluation needs a check per bar or per component, and prepares the per-bar and
  // per-node arrays and the threads. The lane width and thread count in force now are
  // kept; `threads` > 0 asks for that many instead of the count the model's size and the
  // machine give. The model must not change while this object is in use.
  explicit batch_objective(const model& m, int threads = 0);
  ~batch_objective();
  batch_objective(const batch_objective&) = delete;
  batch_objective& operator=(const batch_objective&) = delete;

  // As `objective`(m, n, x, g). A model or vectors that fail the checks are handed to the
  // plain loop, which reports the error where it always has. One caller at a time.
  double operator()(int32_t n, const terms::fmat1& x, terms::fmat1& g) const;

  // What this objective runs on.
  int threads() const { return pool_ ? pool_->size() : 1; }
  int lanes() const { return lanes_; }

  // The per-thread work of an evaluation; public for the pool's job functions only.
  struct evaluation;

 private:
  const model& m_;
  bool checked_ = false;
  int lanes_ = 1;
  bar_range_fn bar_range_ = nullptr;
  node_range_fn node_range_ = nullptr;
  // Per bar, padded to whole packs (bar_pass): the bar's data laid out to stream, and its
  // energy and node2 end forces (four per bar, from an aligned place in forces_).
  std::vector<int32_t> row1_, row2_;
  std::vector<double> cx_, cy_, cz_, length0_, area_;
  mutable std::vector<double> energy_, forces_;
  // Per node, three each: the displacements of the state being evaluated.
  mutable std::vector<double> u_;
  // Positions 1..n (0-based here) in runs whose places in u_ follow one another, in order.
  struct position_run {
    int32_t position, row, length;
  };
  std::vector<position_run> runs_;
  // For node i (0-based), contributions_[node_first_[i] .. node_first_[i + 1]) are
  // 2 * bar + end, end 0 for node1 and 1 for node2, in the plain loop's order.
  std::vector<long long> node_first_;
  std::vector<std::uint32_t> contributions_;
  std::unique_ptr<worker_pool> pool_;
  std::unique_ptr<evaluation> work_;
};

}  // namespace kalvane
