#include "mechanics/batch.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "error.hpp"
#include "mechanics/dispatch.hpp"
#include "mechanics/element.hpp"
#include "mechanics/objective.hpp"
#include "model/start.hpp"

using kalvane::model;

namespace {

// The total potential as a plain loop over element1: the loads node by node, then the
// bars in index order, node1's components before node2's.
double reference_potential(const model& m, int32_t n, const terms::fmat1& x, terms::fmat1& g) {
  double total = 0.0;
  for (int32_t i = 1; i <= m.node_count; ++i)
    for (int j = 1; j <= 3; ++j) {
      const int32_t p = m.dof_map(i, j);
      if (p <= n) {
        total = total - x(p) * m.loads(i, j);
        g(p) = -m.loads(i, j);
      }
    }
  for (int32_t b = 1; b <= kalvane::bar_count(m); ++b) {
    const kalvane::bar_record& bar = m.bars(b);
    double f[6];
    total = total + kalvane::element1(m, bar, x, f).energy;
    for (int j = 1; j <= 3; ++j)
      if (m.dof_map(bar.node1, j) <= n) g(m.dof_map(bar.node1, j)) += f[j - 1];
    for (int j = 1; j <= 3; ++j)
      if (m.dof_map(bar.node2, j) <= n) g(m.dof_map(bar.node2, j)) += f[j + 2];
  }
  return total;
}

std::uint64_t bits(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

// A random prepared structure: bars between random nodes, some components prescribed with
// random values, loads everywhere. With `crowded`, some bars have both ends at one node and
// a tenth of the bars meet at node 1, so that one gradient entry gathers hundreds of
// contributions from every block of bars.
model random_model(std::mt19937_64& random, bool mooney_rivlin, int32_t nodes, int32_t bars, bool crowded = false) {
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  model m;
  m.node_count = nodes;
  m.material = mooney_rivlin ? kalvane::mooney_rivlin(3.0 + unit(random), 0.75 + 0.5 * unit(random))
                             : kalvane::neo_hooke(10.0 + unit(random));
  m.x0.allocate(1, nodes);
  m.y0.allocate(1, nodes);
  m.z0.allocate(1, nodes);
  for (int32_t i = 1; i <= nodes; ++i) {
    m.x0(i) = 10.0 * unit(random);
    m.y0(i) = 10.0 * unit(random);
    m.z0(i) = 3.0 * unit(random);
  }
  m.bars.allocate(1, bars);
  std::uniform_int_distribution<int32_t> node(1, nodes);
  for (int32_t b = 1; b <= bars; ++b) {
    int32_t a = node(random), c = node(random);
    while (c == a) c = node(random);
    const double pick = 0.5 * (1.0 + unit(random));
    if (crowded && pick < 0.1 && a != 1 && c != 1) (pick < 0.05 ? a : c) = 1;
    m.bars(b).node1 = a;
    m.bars(b).node2 = c;
    m.bars(b).area = 0.01 + 0.1 * (1.0 + unit(random));
  }
  m.dof_map.allocate(1, nodes, 1, 3);
  m.prescribed.allocate(1, nodes, 1, 3);
  m.loads.allocate(1, nodes, 1, 3);
  for (int32_t i = 1; i <= nodes; ++i)
    for (int j = 1; j <= 3; ++j) {
      if (unit(random) > 0.6) {
        m.dof_map(i, j) = 1;
        m.prescribed(i, j) = unit(random) > 0.0 ? 0.0 : 0.3 * unit(random);
      }
      m.loads(i, j) = unit(random) > 0.3 ? unit(random) : 0.0;
    }
  kalvane::start(m);
  // A bar from a node to itself cannot be read, but the sums must still take its node1
  // contribution before its node2 one; its geometry stays that of the bar it was.
  if (crowded)
    for (int32_t b = 1; b <= bars; b += 37) m.bars(b).node2 = m.bars(b).node1;
  return m;
}

// Forces a lane width and a thread count for the objectives bound while it lives.
struct forced_machine {
  forced_machine(int lanes, int threads) {
    EXPECT_TRUE(kalvane::force_lane_width(lanes)) << lanes;
    kalvane::force_thread_count(threads);
  }
  ~forced_machine() {
    kalvane::force_lane_width(0);
    kalvane::force_thread_count(0);
  }
};

constexpr int thread_counts[] = {1, 2, 3, 7};

// States from rest to large stretches and compressions, with exact zeros mixed in so that
// signed zeros in the gradient are compared too.
void random_state(std::mt19937_64& random, terms::fmat1& x) {
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  const double scale = std::pow(10.0, 4.0 * unit(random) - 2.0);
  for (int32_t i = 1; i <= x.last; ++i) x(i) = unit(random) > 0.8 ? 0.0 : scale * unit(random);
}

std::string error_of(const std::function<void()>& f) {
  try {
    f();
  } catch (const kalvane::error& e) {
    return e.name + " : " + e.what();
  }
  return "no error";
}

}  // namespace

TEST(Batch, EveryLaneWidthAndThreadCountGivesTheBitsOfThePlainLoop) {
  std::mt19937_64 random(20240607);
  long long compared = 0;
  for (int model_number = 0; model_number < 6; ++model_number) {
    // Small models in one block of bars; larger ones spread over several blocks and threads.
    const bool large = model_number >= 2;
    const model m = random_model(random, model_number % 2 == 1, large ? 1500 + model_number : 90 + model_number,
                                 large ? 3301 + 2 * model_number : 301 + 2 * model_number, model_number != 2);
    const int32_t n = m.free_count;
    std::vector<std::unique_ptr<kalvane::batch_objective>> batches;
    std::vector<std::string> names;
    for (int lanes : kalvane::lane_widths())
      for (int threads : thread_counts) {
        const forced_machine machine(lanes, threads);
        batches.push_back(std::make_unique<kalvane::batch_objective>(m));
        names.push_back(std::to_string(lanes) + " lanes, " + std::to_string(threads) + " threads");
        EXPECT_EQ(batches.back()->lanes(), lanes);
        EXPECT_EQ(batches.back()->threads(), threads);
      }
    terms::fmat1 x, g_batch, g_plain;
    x.allocate(1, n);
    g_batch.allocate(1, n);
    g_plain.allocate(1, n);
    const int states = large ? 60 : 400;
    for (int s = 0; s < states; ++s) {
      if (s > 0) random_state(random, x);
      const double plain = reference_potential(m, n, x, g_plain);
      for (std::size_t k = 0; k < batches.size(); ++k) {
        const double batched = (*batches[k])(n, x, g_batch);
        ASSERT_EQ(bits(batched), bits(plain)) << names[k] << ", model " << model_number << " state " << s;
        for (int32_t p = 1; p <= n; ++p)
          ASSERT_EQ(bits(g_batch(p)), bits(g_plain(p)))
              << names[k] << ", model " << model_number << " state " << s << " entry " << p;
        ++compared;
      }
    }
  }
  EXPECT_GE(compared, 2 * 400 * 4 + 4 * 60 * 4);
}

TEST(Batch, ReportsTheFirstNegativeStretchAsThePlainLoopDoes) {
  // Bars go in packs of up to eight and blocks of 1024, 3333 leaving bar 3333 alone at the
  // end: the first offending bar in index order must be named whichever lane, pack, block
  // and thread it falls to, when later bars offend too, in blocks other threads finish first.
  const std::vector<std::vector<int32_t>> offenders = {
      {131, 130, 3}, {12, 11}, {8}, {3333}, {3333, 64}, {3000, 2049}, {1025, 1024, 1023}, {2100, 3100}};
  for (const std::vector<int32_t>& bars : offenders) {
    std::mt19937_64 random(7);
    model m = random_model(random, false, 1200, 3333);
    // A direction vector longer than one lets a bar pushed back by its full length reach a
    // negative stretch squared: e = -1.1 (-1.1 + 2.2) = -1.21.
    terms::fmat1 x = m.unknowns;
    for (int32_t b : bars) {
      kalvane::bar_record& bar = m.bars(b);
      bar.cx = 1.1, bar.cy = 0.0, bar.cz = 0.0;
      bar.length0 = 1.0;
      for (int j = 1; j <= 3; ++j) {  // node1 at rest
        const int32_t p = m.dof_map(bar.node1, j);
        if (p <= m.free_count) x(p) = 0.0;
        else m.prescribed(bar.node1, j) = 0.0;
      }
    }
    for (int32_t b : bars) {  // node2 pushed back
      const int32_t node2 = m.bars(b).node2;
      const int32_t p = m.dof_map(node2, 1);
      if (p <= m.free_count) x(p) = -1.1;
      else m.prescribed(node2, 1) = -1.1;
    }
    terms::fmat1 rest = x;
    for (int32_t p = 1; p <= m.free_count; ++p)
      if (rest(p) == -1.1) rest(p) = 0.0;
    terms::fmat1 g;
    g.allocate(1, m.free_count);
    const std::string plain = error_of([&] { reference_potential(m, m.free_count, x, g); });
    EXPECT_NE(plain.find(kalvane::argument_error), std::string::npos) << plain;
    for (int lanes : kalvane::lane_widths())
      for (int threads : thread_counts) {
        const forced_machine machine(lanes, threads);
        kalvane::batch_objective batch(m);
        EXPECT_EQ(error_of([&] { batch(m.free_count, x, g); }), plain) << lanes << " lanes, " << threads << " threads";
        // A failed evaluation leaves nothing behind: the next state is evaluated whole.
        terms::fmat1 g_plain;
        g_plain.allocate(1, m.free_count);
        double at_rest = 0.0;
        const std::string rest_error = error_of([&] { at_rest = reference_potential(m, m.free_count, rest, g_plain); });
        if (rest_error != "no error") {
          EXPECT_EQ(error_of([&] { batch(m.free_count, rest, g); }), rest_error);
          continue;
        }
        EXPECT_EQ(bits(batch(m.free_count, rest, g)), bits(at_rest));
        for (int32_t p = 1; p <= m.free_count; ++p) ASSERT_EQ(bits(g(p)), bits(g_plain(p))) << p;
      }
  }
}

TEST(Batch, AModelFailingItsChecksGetsThePlainLoopsError) {
  std::mt19937_64 random(11);
  model m = random_model(random, true, 30, 50);
  m.bars(17).node2 = m.node_count + 4;
  const kalvane::batch_objective batch(m);
  terms::fmat1 g;
  g.allocate(1, m.free_count);
  const std::string plain = error_of([&] { kalvane::objective(m, m.free_count, m.unknowns, g); });
  EXPECT_NE(plain.find(kalvane::index_error), std::string::npos) << plain;
  EXPECT_EQ(error_of([&] { batch(m.free_count, m.unknowns, g); }), plain);
  // A gradient vector shorter than n is refused the same way.
  m.bars(17).node2 = 1;
  const kalvane::batch_objective sound(m);
  terms::fmat1 short_g;
  short_g.allocate(1, m.free_count - 1);
  EXPECT_EQ(error_of([&] { sound(m.free_count, m.unknowns, short_g); }),
            error_of([&] { kalvane::objective(m, m.free_count, m.unknowns, short_g); }));
}

TEST(Batch, PositionsNotNumberedOnceEachGetThePlainLoopsResult) {
  // The gather assumes that each position belongs to one node's component; a model where one
  // is shared, or one is missing, must still get what the plain loop gives.
  std::mt19937_64 random(3);
  for (const bool shared : {true, false}) {
    model m = random_model(random, false, 200, 2100);
    const int32_t p = m.dof_map(5, 2), q = m.dof_map(9, 1);
    ASSERT_LE(p, m.free_count);
    ASSERT_LE(q, m.free_count);
    m.dof_map(9, 1) = shared ? p : m.free_count + 1;
    const forced_machine machine(kalvane::lane_widths().back(), 3);
    const kalvane::batch_objective batch(m);
    terms::fmat1 x, g_batch, g_plain;
    x.allocate(1, m.free_count);
    g_batch.allocate(1, m.free_count);
    g_plain.allocate(1, m.free_count);
    for (int s = 0; s < 20; ++s) {
      random_state(random, x);
      g_batch(q) = g_plain(q) = 0.25;  // assigned by neither when missing
      ASSERT_EQ(bits(batch(m.free_count, x, g_batch)), bits(kalvane::objective(m, m.free_count, x, g_plain)));
      for (int32_t k = 1; k <= m.free_count; ++k) ASSERT_EQ(bits(g_batch(k)), bits(g_plain(k))) << k;
    }
  }
}

// The unknowns reach their rows in runs of positions that follow one another in the rows;
// blocks of positions cut runs. Numbered as the starting point numbers them (long runs
// across blocks) and shuffled (runs of one), the result is the plain loop's.
TEST(Batch, UnknownsReachTheirRowsWhateverTheNumbering) {
  std::mt19937_64 random(11);
  for (const bool shuffled : {false, true}) {
    model m = random_model(random, true, 4000, 7000);
    ASSERT_GT(m.free_count, 2 * 3 * 1024);
    if (shuffled) {
      std::vector<int32_t*> free;
      for (int32_t& p : m.dof_map.data)
        if (p <= m.free_count) free.push_back(&p);
      std::vector<int32_t> positions;
      for (int32_t* p : free) positions.push_back(*p);
      std::shuffle(positions.begin(), positions.end(), random);
      for (std::size_t k = 0; k < free.size(); ++k) *free[k] = positions[k];
    }
    terms::fmat1 x, g_batch, g_plain;
    x.allocate(1, m.free_count);
    g_batch.allocate(1, m.free_count);
    g_plain.allocate(1, m.free_count);
    for (int threads : {1, 3}) {
      const forced_machine machine(kalvane::lane_widths().back(), threads);
      const kalvane::batch_objective batch(m);
      for (int s = 0; s < 5; ++s) {
        random_state(random, x);
        ASSERT_EQ(bits(batch(m.free_count, x, g_batch)), bits(kalvane::objective(m, m.free_count, x, g_plain)))
            << shuffled << " " << threads;
        for (int32_t k = 1; k <= m.free_count; ++k) ASSERT_EQ(bits(g_batch(k)), bits(g_plain(k))) << k;
      }
    }
  }
}
