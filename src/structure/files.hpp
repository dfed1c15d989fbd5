#pragma once
// A structure's result in kalvane's own files, so that every tool that reads a kalvane run
// reads it, and in bars.csv, the table engineers design cables from.
#include <string>

#include "structure/bar_results.hpp"
#include "structure/structure.hpp"

namespace kalvane {

// abaqusfile.inp: kalvane's own deck when input.txt can hold the structure; else one
// material per material of the model and the bars' prestress as initial stresses.
void write_structure_deck(const structure& s, const std::string& path);

// autocad.scr and output.txt of the state in s.base (its unknowns and frame), with the
// stresses and reactions of the structure's own laws.
void write_structure_script(const structure& s, const bar_results& r, const std::string& path);
void write_structure_report(const structure& s, const bar_results& r, const std::string& path);

// bars.csv: bar, node1, node2, material, area, rest_length, length, stretch, strain,
// axial_force, stress, state; reals in their shortest form that reads back to the same bits,
// the material's name as a text cell (companion::csv_text_cell).
std::string bars_csv(const structure& s, const bar_results& r);

// The shortest text that reads back to the same double.
std::string shortest_real(double value);

// "taut", "slack" (a cable), or "tension" / "compression" (a bar; "unstressed" at zero).
const char* state_name(const structure& s, int32_t b, const bar_results& r);

}  // namespace kalvane
