#include <gtest/gtest.h>

#include <sstream>

#include "test_view_fixture.hpp"
#include "view/report_reader.hpp"
#include "view/vtk.hpp"

using namespace view_test;
using namespace kalvane::view;

TEST(ViewVtk, CountsAndValuesMatchTheReport) {
  auto m = make_model({{0, 0, 0}, {2, 0, 0}, {1, 1.5, -3}}, {{1, 2, 0.1}, {2, 3, 0.25}, {3, 1, 3e-4}});
  const std::vector<std::array<double, 3>> d = {{0, 0, 0}, {1.234567e-3, -2.5e-1, 0}, {-7.654321e-8, 0, 9.999999e+2}};
  const std::vector<double> stress = {1.5e3, -2.25e-2, 0.0};
  const report r = read_report(report_text(5, 1.0, d, {}, stress), "output.txt");
  std::istringstream in(render_vtk(match(m, r, "input.txt", "output.txt")));

  std::string line, word, type;
  std::getline(in, line);
  EXPECT_EQ(line, "# vtk DataFile Version 3.0");
  std::getline(in, line);  // title
  std::getline(in, line);
  EXPECT_EQ(line, "ASCII");
  std::getline(in, line);
  EXPECT_EQ(line, "DATASET POLYDATA");

  long long count = 0, size = 0;
  in >> word >> count >> type;
  EXPECT_EQ(word, "POINTS");
  ASSERT_EQ(count, 3);
  for (int k = 1; k <= 3; ++k) {
    double x, y, z;
    in >> x >> y >> z;
    EXPECT_EQ(x, m.x0(k) + d[k - 1][0]);  // the final position, exactly as the sum of doubles
    EXPECT_EQ(y, m.y0(k) + d[k - 1][1]);
    EXPECT_EQ(z, m.z0(k) + d[k - 1][2]);
  }
  in >> word >> count >> size;
  EXPECT_EQ(word, "LINES");
  ASSERT_EQ(count, 3);
  EXPECT_EQ(size, 9);
  for (int e = 1; e <= 3; ++e) {
    int n, a, b;
    in >> n >> a >> b;
    EXPECT_EQ(n, 2);
    EXPECT_EQ(a, m.bars(e).node1 - 1);
    EXPECT_EQ(b, m.bars(e).node2 - 1);
  }
  in >> word >> count;
  EXPECT_EQ(word, "POINT_DATA");
  EXPECT_EQ(count, 3);
  in >> word >> line >> type;
  EXPECT_EQ(word + " " + line, "VECTORS displacement");
  for (int k = 0; k < 3; ++k)
    for (int c = 0; c < 3; ++c) {
      double v;
      in >> v;
      EXPECT_EQ(v, d[k][c]);
    }
  in >> word >> count;
  EXPECT_EQ(word, "CELL_DATA");
  EXPECT_EQ(count, 3);
  in >> word >> line >> type >> count;
  EXPECT_EQ(word + " " + line + " " + type + " " + std::to_string(count), "SCALARS stress double 1");
  in >> word >> type;
  EXPECT_EQ(word + " " + type, "LOOKUP_TABLE default");
  for (int e = 1; e <= 3; ++e) {
    double v;
    in >> v;
    EXPECT_EQ(v, stress[e - 1]);
  }
  in >> word >> type >> count;
  EXPECT_EQ(word + " " + type + " " + std::to_string(count), "FIELD FieldData 1");
  in >> word >> count >> size >> type;
  EXPECT_EQ(word + " " + std::to_string(count) + " " + std::to_string(size) + " " + type, "area 1 3 double");
  for (int e = 1; e <= 3; ++e) {
    double v;
    in >> v;
    EXPECT_EQ(v, m.bars(e).area);
  }
  EXPECT_TRUE(static_cast<bool>(in));
  in >> word;
  EXPECT_TRUE(in.eof()) << "unexpected trailing text: " << word;
}
