// kalvane.path's core: kalvane-path's own run on a folder holding input.txt.
#include <pybind11/pybind11.h>

#include "path/app.hpp"

namespace py = pybind11;

namespace kalvane::python {

void define_path(py::module_& module) {
  // (exit status, summary) of kalvane-path run in `folder`, its files written to `out`;
  // watch_node 0 watches what moves most.
  module.def("path", [](const std::string& folder, const std::string& out, bool together, int watch_node,
                        int watch_component) {
    path::options o;
    o.dir = folder;
    o.out = out;
    o.how = together ? newton::loading::together : newton::loading::staged;
    if (watch_node > 0) o.watch = path::component_ref{watch_node, watch_component};
    path::outcome outcome;
    {
      py::gil_scoped_release unlocked;
      outcome = path::run_path(o);
    }
    return py::make_tuple(outcome.status, outcome.summary);
  }, py::arg("folder"), py::arg("out"), py::arg("together"), py::arg("watch_node"), py::arg("watch_component"),
  "kalvane-path on the input.txt in `folder`, its files written to `out`: (exit status, summary).");
}

}  // namespace kalvane::python
