// kalvane.path's core: kalvane-path's own run, on a folder's model or on a structure held in
// memory.
#include <pybind11/pybind11.h>

#include "arrays.hpp"
#include "path/app.hpp"
#include "structure/model_file.hpp"

namespace py = pybind11;

namespace kalvane::python {

namespace {

path::options options_of(const std::string& out, bool together, int watch_node, int watch_component) {
  path::options o;
  o.out = out;
  o.how = together ? newton::loading::together : newton::loading::staged;
  if (watch_node > 0) o.watch = path::component_ref{watch_node, watch_component};
  return o;
}

// The written equilibrium's arrays, by name.
py::dict answer_of(const path::outcome& r) {
  const auto nodes = rows(r.displacements.size(), 3);
  const auto bars = static_cast<py::ssize_t>(r.bars.force.size());
  py::dict a;
  a["displacements"] = array_of(r.displacements, {nodes, 3});
  a["prescribed"] = array_of(r.prescribed, {nodes, 3});
  a["forces"] = array_of(r.bars.reaction, {nodes, 3});
  a["stresses"] = array_of(r.bars.stress, {bars});
  a["axial_forces"] = array_of(r.bars.force, {bars});
  a["stretches"] = array_of(r.bars.stretch, {bars});
  a["strains"] = array_of(r.bars.strain, {bars});
  a["slack"] = array_of(r.bars.slack, {bars});
  a["iterations"] = r.iterations;
  a["objective"] = r.energy;
  a["allowable_gradient"] = r.gradient;
  return a;
}

}  // namespace

void define_path(py::module_& module) {
  // (exit status, summary, the written equilibrium's arrays) of kalvane-path run in `folder`,
  // its files written to `out`; watch_node 0 watches what moves most.
  module.def("path", [](const std::string& folder, const std::string& out, bool together, int watch_node,
                        int watch_component) {
    path::options o = options_of(out, together, watch_node, watch_component);
    o.dir = folder;
    path::outcome outcome;
    {
      py::gil_scoped_release unlocked;
      outcome = path::run_path(o);
    }
    return py::make_tuple(outcome.status, outcome.summary, answer_of(outcome));
  }, py::arg("folder"), py::arg("out"), py::arg("together"), py::arg("watch_node"), py::arg("watch_component"),
  "kalvane-path on the model in `folder`, its files written to `out`: (exit status, summary, the written "
  "equilibrium's arrays by name).");

  module.def("path_structure", [](const held_structure& h, const std::string& out, bool together, int watch_node,
                                  int watch_component) {
    const path::options o = options_of(out, together, watch_node, watch_component);
    path::outcome outcome;
    {
      py::gil_scoped_release unlocked;
      structure s = h.s;
      path::start_structure(s);
      outcome = path::run_path_on(std::move(s), model_file_name, model_file_text(h.s), o);
    }
    return py::make_tuple(outcome.status, outcome.summary, answer_of(outcome));
  }, py::arg("structure"), py::arg("out"), py::arg("together"), py::arg("watch_node"), py::arg("watch_component"),
  "kalvane-path on `structure`, its files (with its model file) written to `out`: (exit status, summary, the "
  "written equilibrium's arrays by name).");
}

}  // namespace kalvane::python
