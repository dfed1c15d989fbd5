// input.txt written from a model: the reader gives back the same model, to the last bit.
#include "output/input_file.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "error.hpp"
#include "model/input.hpp"
#include "model/number.hpp"

namespace {

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

double read_back(const std::string& text) {
  double value = 0.0;
  const kalvane::number_scan s = kalvane::scan_real(text.data(), text.size(), 0, value);
  EXPECT_TRUE(s.ok && s.end == text.size()) << text;
  return value;
}

}  // namespace

TEST(InputFile, EveryFiniteRealReadsBackToItsBitsAndShortWhereItCan) {
  EXPECT_EQ(kalvane::exact_real_text(0.1), "0.1");
  EXPECT_EQ(kalvane::exact_real_text(-0.0), "-0");
  EXPECT_EQ(kalvane::exact_real_text(1e300), "1e+300");
  std::mt19937_64 random(23);
  for (int i = 0; i < 20000; ++i) {
    double value = 0.0;
    const std::uint64_t bits = random() % 0x7FF0000000000000ULL | (random() & 0x8000000000000000ULL);
    std::memcpy(&value, &bits, sizeof value);
    ASSERT_TRUE(same_bits(read_back(kalvane::exact_real_text(value)), value)) << kalvane::exact_real_text(value);
  }
  for (double value : {std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::max(),
                       -std::numeric_limits<double>::min(), 9007199254740993.0, 1.0 / 3.0})
    EXPECT_TRUE(same_bits(read_back(kalvane::exact_real_text(value)), value));
  EXPECT_THROW(kalvane::exact_real_text(std::nan("")), kalvane::error);
}

TEST(InputFile, AModelWrittenAndReadIsTheSameModel) {
  kalvane::model m;
  kalvane::input_text(m,
                      "title\n: settings\n0.8 7 -1 2.5 99 3\n: material\n2 1.5 0.25\n: nodes\n3\nhead\n"
                      "3 0.1 0.2 0.3\n1 1e-300 -0.0 7\n2 1 2 3\n: bars\n2\nhead\n2 2 3 0.5\n1 1 2 0.25\n"
                      ": prescribed\n2\nhead\n1 3 0.0\n1 3 -0.125\n: loads\n3\nhead\n2 1 -0.0\n3 2 0.0\n3 3 4e5\n",
                      "input.txt");
  kalvane::model again;
  kalvane::input_text(again, kalvane::input_text_of(m, "title"), "written");
  EXPECT_EQ(again.node_count, 3);
  for (int32_t k = 1; k <= 3; ++k) {
    EXPECT_TRUE(same_bits(again.x0(k), m.x0(k)) && same_bits(again.y0(k), m.y0(k)) && same_bits(again.z0(k), m.z0(k)));
    for (int c = 1; c <= 3; ++c) {
      EXPECT_EQ(again.dof_map(k, c), m.dof_map(k, c));
      EXPECT_TRUE(same_bits(again.prescribed(k, c), m.prescribed(k, c)));
      EXPECT_TRUE(same_bits(again.loads(k, c), m.loads(k, c)));  // -0.0 kept, +0.0 left out
    }
  }
  for (int32_t b = 1; b <= 2; ++b) {
    EXPECT_EQ(again.bars(b).node1, m.bars(b).node1);
    EXPECT_EQ(again.bars(b).node2, m.bars(b).node2);
    EXPECT_EQ(again.bars(b).area, m.bars(b).area);
  }
  EXPECT_EQ(again.material->kind, kalvane::material_law::mooney_rivlin);
  EXPECT_EQ(kalvane::c2(*again.material), 0.25);
  EXPECT_EQ(again.gradient_tolerance, 0.001);  // as the reader replaced it
  EXPECT_EQ(again.gradient_reference, 2.5);
  EXPECT_EQ(again.max_iterations, 99);
  EXPECT_EQ(again.memory_size, 3);

  // With no bars and no loads: no heading line after those counts.
  kalvane::model bare;
  kalvane::input_text(bare, "t\n: s\n0.9 20 0.001 0 1000 5\n: m\n1 1\n: n\n0\nhead\n: b\n0\n: p\n0\n: l\n0\n", "bare");
  const std::string text = kalvane::input_text_of(bare, "bare");
  EXPECT_NE(text.find(": bars\n0\n: prescribed displacements\n0\n: loads\n0\n"), std::string::npos) << text;
}
