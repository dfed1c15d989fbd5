#pragma once
// kalvane-path's states as ParaView's time series: one .vtu per state of path.states, in
// kalvane_states/, and kalvane.pvd naming them in the path's order.
#include <string>
#include <utility>
#include <vector>

#include "structure/states_file.hpp"
#include "view/scene.hpp"

namespace kalvane::view {

// The time of each state in the series: its load factor where the load factors rise along
// the states (one stage, no limit point, no jump); else its row in path.csv, since a load
// factor that falls past a limit point, repeats at a jump's two ends and starts again with
// each stage cannot order them. Every file also holds its load factor, stage and row.
std::vector<double> series_times(const std::vector<path_state_record>& states);

// The folder of the states' files, beside kalvane.pvd, and the name of row r's.
inline constexpr const char* series_folder = "kalvane_states";
std::string series_file(std::uint32_t row);

// Each state's .vtu (the deformed shape, its displacements, and per bar its stress, axial
// force, area, state code and, for a model file, material) and the .pvd, as (path, text)
// pairs under `dir`; the colouring quantity is the active scalar.
std::vector<std::pair<std::string, std::string>> series_files(const std::string& dir, const scene& s,
                                                              const path_states& states, colour_by colour);

// Removes the states' files of an earlier series from `dir`/kalvane_states that `keep` (the
// paths about to be written) does not name, so that the folder holds the series of this run
// only. Nothing but files named state_N.vtu is touched.
void remove_old_states(const std::string& dir, const std::vector<std::pair<std::string, std::string>>& keep);

}  // namespace kalvane::view
