#pragma once
// The three output files of a run.
#include <string>

#include "model/model.hpp"

namespace kalvane {

// abaqusfile.inp: the analysis deck, written from the prepared model before the solve.
void write_deck(const model& m, const std::string& path = "abaqusfile.inp");
// autocad.scr: the drawing script of the initial and the equilibrium shape.
void write_script(const model& m, const std::string& path = "autocad.scr");
// output.txt: the results report; it uses `loads` as working storage for the reactions.
void write_report(model& m, const std::string& path = "output.txt");

}  // namespace kalvane
