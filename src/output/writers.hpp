#pragma once
// The three output files of a run.
#include <string>
#include <vector>

#include "model/model.hpp"

namespace kalvane {

// abaqusfile.inp: the analysis deck, written from the prepared model before the solve.
void write_deck(const model& m, const std::string& path = "abaqusfile.inp");
// The deck of a structure of several materials (the companions'): one material per entry,
// MAT1, MAT2, ..., each bar's section naming its own (bar b's index at [b - 1]), and the
// stress each bar starts with in the drawn shape (0: none).
enum class deck_law { neo_hooke, mooney_rivlin, linear_elastic };
struct deck_material {
  deck_law law = deck_law::neo_hooke;
  double c1 = 0.0, c2 = 0.0, E = 0.0;
};
void write_deck(const model& m, const std::vector<deck_material>& materials, const std::vector<int32_t>& bar_material,
                const std::vector<double>& initial_stress, const std::string& path);

// autocad.scr: the drawing script of the initial and the equilibrium shape.
void write_script(const model& m, const std::string& path = "autocad.scr");
// output.txt: the results report; it changes nothing in the model.
void write_report(const model& m, const std::string& path = "output.txt");

// The script and the report with the bars' stresses (bar e at [e - 1]) and the reactions
// given, for the companions, whose bars follow laws of their own.
void write_script(const model& m, const std::vector<double>& stress, const std::string& path);
void write_report(const model& m, const terms::fmat2& reactions, const std::vector<double>& stress,
                  const std::string& path);

// R(k, c): the end forces of all bars at component c of node k less the load there. The
// order of the additions (negated load, then bars in turn, node1 before node2) fixes the
// rounding of the printed values.
terms::fmat2 reaction_forces(const model& m);

}  // namespace kalvane
