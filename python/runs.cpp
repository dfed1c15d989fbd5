// Runs of models built in memory, through the program's run path, one or many at a time.
#include <atomic>
#include <exception>
#include <filesystem>
#include <thread>

#include "companion/output_files.hpp"
#include "core.hpp"
#include "error.hpp"
#include "mechanics/element.hpp"
#include "output/writers.hpp"
#include "run.hpp"

namespace kalvane::python {

void solve(model& m, int threads) {
  run_plan plan;
  plan.first = stage::start;
  plan.last = stage::check;
  plan.write_files = false;
  plan.threads = threads;
  run(m, plan);
}

void solve_many(std::vector<model*>& models, int workers, const std::vector<std::string>& names) {
  const auto count = static_cast<long long>(models.size());
  if (workers > count) workers = static_cast<int>(count);
  if (workers < 1) workers = 1;
  const int threads_per_run = workers > 1 ? 1 : 0;
  std::vector<std::exception_ptr> failures(models.size());
  std::atomic<long long> next{0};
  auto serve = [&] {
    for (long long i = next++; i < count; i = next++) {
      try {
        solve(*models[static_cast<std::size_t>(i)], threads_per_run);
      } catch (...) {
        failures[static_cast<std::size_t>(i)] = std::current_exception();
      }
    }
  };
  std::vector<std::thread> others;
  for (int w = 1; w < workers; ++w) others.emplace_back(serve);
  serve();
  for (std::thread& t : others) t.join();
  for (std::size_t i = 0; i < failures.size(); ++i) {
    if (!failures[i]) continue;
    try {
      std::rethrow_exception(failures[i]);
    } catch (const error& e) {
      throw error(e.name, names[i] + ": " + e.what());
    }
  }
}

void write_files(model& solved, const std::string& folder) {
  // kalvane's writers, as its run's deck, script and report stages call them, each file
  // replacing the folder's own only once all three were written.
  companion::output_files files;
  const auto in_folder = [&](const char* name) { return (std::filesystem::path(folder) / name).string(); };
  companion::add_written(files, in_folder("abaqusfile.inp"), [&](const std::string& path) { write_deck(solved, path); });
  companion::add_written(files, in_folder("autocad.scr"), [&](const std::string& path) { write_script(solved, path); });
  companion::add_written(files, in_folder("output.txt"), [&](const std::string& path) { write_report(solved, path); });
  companion::put_in_place(files);
}

solution solution_of(const model& m) {
  solution s;
  const terms::fmat2 forces = reaction_forces(m);
  for (int32_t k = 1; k <= m.node_count; ++k)
    for (int c = 1; c <= 3; ++c) {
      s.displacements.push_back(displacement(m, m.unknowns, k, c));
      s.forces.push_back(forces(k, c));
      s.prescribed.push_back(m.dof_map(k, c) > m.free_count ? 1 : 0);
    }
  double end_forces[6];
  for (int32_t b = 1; b <= bar_count(m); ++b) {
    const bar_record& bar = m.bars(b);
    const double stress = element1(m, bar, m.unknowns, end_forces).stress;
    const bar_strain<double> strain =
        bar_stretch(displacement(m, m.unknowns, bar.node2, 1) - displacement(m, m.unknowns, bar.node1, 1),
                    displacement(m, m.unknowns, bar.node2, 2) - displacement(m, m.unknowns, bar.node1, 2),
                    displacement(m, m.unknowns, bar.node2, 3) - displacement(m, m.unknowns, bar.node1, 3),
                    bar.length0, bar.cx, bar.cy, bar.cz);
    const double stretch = std::sqrt(strain.lambda2);
    s.stresses.push_back(stress);
    // The incompressible bar's cross-section is A / stretch at the equilibrium.
    s.axial_forces.push_back(stress * (bar.area / stretch));
    s.stretches.push_back(stretch);
  }
  return s;
}

}  // namespace kalvane::python
