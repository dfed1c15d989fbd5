// The CalculiX deck's text: every number must fit the 20-character field CalculiX reads
// (it refuses the whole card otherwise) and still carry the value to 14 digits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "check/calculix_deck.hpp"
#include "run.hpp"
#include "structure/structure.hpp"

namespace {

// Numbers whose shortest exact texts are long: coordinates, an area, a prescribed value
// and a load of 17 significant digits.
const char* const awkward_model =
    "Awkward numbers\n: settings\n0.9 20 1E-6 0.0 1000 5\n: material\n2 0.30000000000000004 1.2345678901234567E-3\n"
    ": nodes\n3\nnode x y z\n1 0.1 0.2 0.30000000000000004\n2 1.1000000000000001 -0.7000000000000001 0.3\n"
    "3 -2.3333333333333335 0.5 1.0E-17\n: bars\n2\nbar n1 n2 area\n1 1 2 1.2345678901234567E-5\n"
    "2 2 3 9.8765432109876543E-7\n: prescribed\n7\nnode c v\n1 1 -0.012345678901234568\n1 2 0\n1 3 0\n2 2 0\n"
    "3 1 0\n3 2 0\n3 3 3.3333333333333335E-2\n: loads\n1\nnode c v\n2 3 -1.2345678901234567E-7\n";

}  // namespace

TEST(CalculixDeck, EveryNumberFitsTheSolversFieldAndKeepsFourteenDigits) {
  kalvane::model m;
  kalvane::run_plan plan;
  plan.last = kalvane::stage::start;
  plan.input_text = awkward_model;
  kalvane::run(m, plan);
  const std::vector<kalvane::check::stretch_range> seen = {{0.6, 1.4}, {0.9, 1.1}};
  kalvane::structure s = kalvane::structure_of(m);
  kalvane::prepare(s);
  const kalvane::check::calculix_deck deck = kalvane::check::plan_deck(s, seen);
  std::istringstream text(kalvane::check::deck_text(s, deck));
  std::string line;
  int numbers = 0;
  std::vector<double> table_values;
  bool in_table = false;
  while (std::getline(text, line)) {
    if (line.rfind("*", 0) == 0) {
      in_table = line.find("NONLINEAR") != std::string::npos;
      continue;
    }
    if (line == "U" || line == "RF") continue;  // the print requests' variables
    std::istringstream fields(line);
    std::string field;
    while (std::getline(fields, field, ',')) {
      while (!field.empty() && field.front() == ' ') field.erase(0, 1);
      char* end = nullptr;
      const double v = std::strtod(field.c_str(), &end);
      ASSERT_EQ(*end, '\0') << line;
      EXPECT_LE(field.size(), 20u) << line;
      // The solver reads a number without a point as an integer: a degree of freedom.
      if (in_table) {
        EXPECT_NE(field.find('.'), std::string::npos) << line;
      }
      if (in_table) table_values.push_back(v);
      ++numbers;
    }
  }
  EXPECT_GT(numbers, 40);
  // The tables read back as the ones the comparison interpolates, to 14 digits.
  std::vector<double> planned;
  for (const auto& g : deck.groups)
    for (std::size_t k = 0; k < g.table.force.size(); ++k) {
      planned.push_back(g.table.force[k]);
      planned.push_back(g.table.elongation[k]);
    }
  ASSERT_EQ(table_values.size(), planned.size());
  for (std::size_t k = 0; k < planned.size(); ++k)
    EXPECT_NEAR(table_values[k], planned[k], 1e-13 * std::fabs(planned[k])) << k;
}
