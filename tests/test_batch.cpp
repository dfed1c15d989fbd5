#include "mechanics/batch.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "error.hpp"
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

// A random prepared structure: bars between random distinct nodes (an odd count spanning
// several batches), some components prescribed with random values, loads everywhere.
model random_model(std::mt19937_64& random, bool mooney_rivlin, int32_t nodes, int32_t bars) {
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
  return m;
}

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

TEST(Batch, GivesTheBitsOfThePlainLoopOverRandomStates) {
  std::mt19937_64 random(20240607);
  int states = 0;
  for (int model_number = 0; model_number < 6; ++model_number) {
    const model m = random_model(random, model_number % 2 == 1, 90 + model_number, 301 + 2 * model_number);
    const int32_t n = m.free_count;
    const kalvane::batch_objective batch(m);
    terms::fmat1 x, g_batch, g_plain;
    x.allocate(1, n);
    for (int s = 0; s < 500; ++s, ++states) {
      if (s > 0) random_state(random, x);
      g_batch.allocate(1, n);
      g_plain.allocate(1, n);
      const double plain = reference_potential(m, n, x, g_plain);
      const double batched = batch(n, x, g_batch);
      ASSERT_EQ(bits(batched), bits(plain)) << "model " << model_number << " state " << s;
      for (int32_t p = 1; p <= n; ++p)
        ASSERT_EQ(bits(g_batch(p)), bits(g_plain(p))) << "model " << model_number << " state " << s << " entry " << p;
    }
  }
  EXPECT_EQ(states, 3000);
}

TEST(Batch, ReportsTheFirstNegativeStretchAsThePlainLoopDoes) {
  // Bars are taken two at a time, 133 leaving bar 133 alone at the end: the first offending
  // bar in index order must be named whether it is the first or second of its pair, its
  // partner offends too, or it is the lone last bar.
  const std::vector<std::vector<int32_t>> offenders = {{131, 130, 3}, {12, 11}, {8}, {133}, {133, 64}};
  for (const std::vector<int32_t>& bars : offenders) {
    std::mt19937_64 random(7);
    model m = random_model(random, false, 40, 133);
    // A direction vector longer than one lets a bar pushed back by its full length reach a
    // negative stretch squared: e = -1.1 (-1.1 + 2.2) = -1.21.
    terms::fmat1 x = m.unknowns;
    for (int32_t b : bars) {
      kalvane::bar_record& bar = m.bars(b);
      bar.cx = 1.1, bar.cy = 0.0, bar.cz = 0.0;
      bar.length0 = 1.0;
      for (int j = 1; j <= 3; ++j) {
        m.dof_map(bar.node1, j) = m.free_count + 1;  // held, with a zero prescribed value
        m.prescribed(bar.node1, j) = 0.0;
      }
    }
    for (int32_t b : bars) {
      const int32_t p = m.dof_map(m.bars(b).node2, 1);
      if (p <= m.free_count) x(p) = -1.1;
    }
    const kalvane::batch_objective batch(m);
    terms::fmat1 g;
    g.allocate(1, m.free_count);
    const std::string plain = error_of([&] { reference_potential(m, m.free_count, x, g); });
    EXPECT_NE(plain.find(kalvane::argument_error), std::string::npos) << plain;
    EXPECT_EQ(error_of([&] { batch(m.free_count, x, g); }), plain);
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
