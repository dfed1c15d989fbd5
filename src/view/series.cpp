#include "view/series.hpp"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <regex>

#include "view/vtu.hpp"

namespace kalvane::view {

std::vector<double> series_times(const std::vector<path_state_record>& states) {
  std::vector<double> times;
  bool rising = true;
  for (std::size_t i = 0; i < states.size(); ++i) {
    times.push_back(states[i].load_factor);
    rising = rising && (i == 0 || (states[i].stage == states[i - 1].stage && times[i] > times[i - 1]));
  }
  if (!rising)
    for (std::size_t i = 0; i < states.size(); ++i) times[i] = states[i].row;
  return times;
}

std::string series_file(std::uint32_t row) {
  char name[40];
  std::snprintf(name, sizeof name, "state_%04u.vtu", static_cast<unsigned>(row));
  return std::string(series_folder) + "/" + name;
}

std::vector<std::pair<std::string, std::string>> series_files(const std::string& dir, const scene& s,
                                                              const path_states& states, colour_by colour) {
  namespace fs = std::filesystem;
  std::vector<std::pair<std::string, std::string>> files;
  std::vector<series_entry> entries;
  const std::vector<double> times = series_times(states.states);
  const std::size_t nodes = s.initial.size(), bars = s.bars.size();
  std::vector<vec3> displacement(nodes);
  std::vector<int32_t> codes(bars);
  for (std::size_t i = 0; i < states.states.size(); ++i) {
    const path_state_record& r = states.states[i];
    for (std::size_t k = 0; k < nodes; ++k)
      displacement[k] = {r.displacement[3 * k], r.displacement[3 * k + 1], r.displacement[3 * k + 2]};
    for (std::size_t e = 0; e < bars; ++e) codes[e] = r.state[e];
    grid_state state{s.initial, displacement, s.bars, {},
                     {{"stress", std::span<const double>(r.stress)},
                      {"axial_force", std::span<const double>(r.force)},
                      {"area", std::span<const double>(s.area)},
                      {"state", std::span<const int32_t>(codes)}},
                     {{"load_factor", r.load_factor}, {"stage", r.stage}, {"row", static_cast<int32_t>(r.row)}},
                     s.title, {"state 0: tension (a taut cable), 1: compression, 2: slack cable"}};
    if (colour == colour_by::force) std::swap(state.bar_data[0], state.bar_data[1]);
    if (!s.materials.empty()) state.bar_data.push_back({"material", std::span<const int32_t>(s.material)});
    files.emplace_back((fs::path(dir) / series_file(r.row)).string(), render_vtu(state));
    entries.push_back({times[i], series_file(r.row)});
  }
  files.emplace_back((fs::path(dir) / "kalvane.pvd").string(), render_pvd(entries, s.title));
  return files;
}

void remove_old_states(const std::string& dir, const std::vector<std::pair<std::string, std::string>>& keep) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::path(dir) / series_folder;
  std::error_code failed;
  if (!fs::is_directory(folder, failed)) return;
  static const std::regex state_name("state_[0-9]+\\.vtu");
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, failed)) {
    const std::string name = entry.path().filename().string();
    const bool kept = std::any_of(keep.begin(), keep.end(),
                                  [&](const auto& file) { return fs::path(file.first).filename() == name; });
    if (entry.is_regular_file(failed) && std::regex_match(name, state_name) && !kept) fs::remove(entry.path(), failed);
  }
}

}  // namespace kalvane::view
