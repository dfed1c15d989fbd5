#pragma once
// The three output files of a run.
#include <string>

#include "model/model.hpp"

namespace kalvane {

// abaqusfile.inp: the analysis deck, written from the prepared model before the solve.
void write_deck(const model& m, const std::string& path = "abaqusfile.inp");
// autocad.scr: the drawing script of the initial and the equilibrium shape.
void write_script(const model& m, const std::string& path = "autocad.scr");
// output.txt: the results report; it changes nothing in the model.
void write_report(const model& m, const std::string& path = "output.txt");

// R(k, c): the end forces of all bars at component c of node k less the load there. The
// order of the additions (negated load, then bars in turn, node1 before node2) fixes the
// rounding of the printed values.
terms::fmat2 reaction_forces(const model& m);

}  // namespace kalvane
