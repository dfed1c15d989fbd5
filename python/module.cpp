// kalvane._core: the compiled part of `import kalvane`. Arrays cross as numpy arrays; every
// run releases the interpreter while it works.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <filesystem>
#include <memory>

#include "check/app.hpp"
#include "check/lint.hpp"
#include "companion/output_files.hpp"
#include "arrays.hpp"
#include "core.hpp"
#include "error.hpp"
#include "model/start.hpp"
#include "output/input_file.hpp"
#include "structure/model_file.hpp"
#include "view/report_reader.hpp"

namespace py = pybind11;

#ifdef KALVANE_HAS_PATH
namespace kalvane::python {
void define_path(py::module_& module);
}
#endif
#ifdef KALVANE_HAS_FORM
namespace kalvane::python {
void define_form(py::module_& module);
}
#endif

using namespace kalvane;
using namespace kalvane::python;

namespace kalvane::python {

py::dict arrays_of(const model_data& d) {
  py::dict a;
  a["source"] = d.source;
  a["nodes"] = array_of(d.nodes, {rows(d.nodes.size(), 3), 3});
  a["bars"] = array_of(d.bars, {rows(d.bars.size(), 2), 2});
  a["areas"] = array_of(d.areas, {rows(d.areas.size(), 1)});
  a["law"] = d.law;
  a["c1"] = d.c1;
  a["c2"] = d.c2;
  a["prescribed_at"] = array_of(d.prescribed_at, {rows(d.prescribed_at.size(), 2), 2});
  a["prescribed_values"] = array_of(d.prescribed_values, {rows(d.prescribed_values.size(), 1)});
  a["loads_at"] = array_of(d.loads_at, {rows(d.loads_at.size(), 2), 2});
  a["load_values"] = array_of(d.load_values, {rows(d.load_values.size(), 1)});
  a["settings"] = py::make_tuple(d.sigma, d.line_search_steps, d.tolerance, d.reference, d.max_iterations, d.memory);
  return a;
}

}  // namespace kalvane::python

namespace {

// A solved run; the solution's arrays are formed once.
struct solved_run {
  model m;
  solution s;
};

std::shared_ptr<held_model> build(const std::string& source, const reals& nodes, const integers& bars,
                                  const reals& areas, int law, double c1, double c2, const integers& prescribed_at,
                                  const reals& prescribed_values, const integers& loads_at, const reals& load_values,
                                  const py::tuple& settings) {
  model_data d;
  d.source = source;
  d.nodes = vector_of(nodes);
  d.bars = vector_of(bars);
  d.areas = vector_of(areas);
  d.law = law;
  d.c1 = c1;
  d.c2 = c2;
  d.prescribed_at = vector_of(prescribed_at);
  d.prescribed_values = vector_of(prescribed_values);
  d.loads_at = vector_of(loads_at);
  d.load_values = vector_of(load_values);
  d.sigma = settings[0].cast<double>();
  d.line_search_steps = settings[1].cast<int32_t>();
  d.tolerance = settings[2].cast<double>();
  d.reference = settings[3].cast<double>();
  d.max_iterations = settings[4].cast<int32_t>();
  d.memory = settings[5].cast<int32_t>();
  return std::make_shared<held_model>(held_model{model_of(d)});
}

// The lint's warnings, as kalvane-check --lint prints them: "path:line:column: warning: ...".
// Text that quotes a file, which need not be UTF-8: a byte that is not becomes U+FFFD.
py::str text_of(const std::string& bytes) {
  PyObject* text = PyUnicode_DecodeUTF8(bytes.data(), static_cast<py::ssize_t>(bytes.size()), "replace");
  if (!text) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(text);
}

py::list lint_lines(const std::string& path) {
  py::list lines;
  for (const check::lint_warning& w : check::lint(view::read_whole_file(path))) lines.append(text_of(check::where(path, w)));
  return lines;
}

std::shared_ptr<solved_run> solved_from(model&& m) {
  auto run = std::make_shared<solved_run>();
  run->m = std::move(m);
  run->s = solution_of(run->m);
  return run;
}

}  // namespace

PYBIND11_MODULE(_core, module) {
  module.doc() = "The compiled core of kalvane: models, runs and the files of a run.";
  module.attr("__version__") = KALVANE_VERSION;

  // kalvane::error becomes kalvane.Error(name, message), the program's "raised NAME : message".
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const kalvane::error& e) {
      py::object error_class = py::module_::import("kalvane._errors").attr("Error");
      py::object instance = error_class(e.name, text_of(e.what()));
      PyErr_SetObject(error_class.ptr(), instance.ptr());
    }
  });

  py::class_<held_model, std::shared_ptr<held_model>>(module, "HeldModel",
                                                       "A model as the reader leaves it, ready for a run.")
      .def(
          "arrays", [](const held_model& h) { return arrays_of(data_of(h.m)); },
          "The model's fields as numpy arrays and numbers, by name.")
      .def(
          "write",
          [](const held_model& h, const std::string& title, const std::string& path) {
            companion::output_files files;
            companion::add_written(files, path, [&](const std::string& temporary) { write_input(h.m, title, temporary); });
            companion::put_in_place(files);
          },
          py::arg("title"), py::arg("path"), "Writes input.txt at `path` with `title` as its first line.");

  py::class_<solved_run, std::shared_ptr<solved_run>>(module, "SolvedRun", "A finished run and its solution.")
      .def_property_readonly("displacements",
                             [](const solved_run& r) { return array_of(r.s.displacements, {r.m.node_count, 3}); })
      .def_property_readonly("forces", [](const solved_run& r) { return array_of(r.s.forces, {r.m.node_count, 3}); })
      .def_property_readonly("prescribed",
                             [](const solved_run& r) { return array_of(r.s.prescribed, {r.m.node_count, 3}); })
      .def_property_readonly("stresses", [](const solved_run& r) { return array_of(r.s.stresses, {bar_count(r.m)}); })
      .def_property_readonly("axial_forces",
                             [](const solved_run& r) { return array_of(r.s.axial_forces, {bar_count(r.m)}); })
      .def_property_readonly("stretches",
                             [](const solved_run& r) { return array_of(r.s.stretches, {bar_count(r.m)}); })
      .def_property_readonly("iterations", [](const solved_run& r) { return r.m.iteration_count; })
      .def_property_readonly("objective", [](const solved_run& r) { return r.m.objective_value; })
      .def_property_readonly("allowable_gradient", [](const solved_run& r) { return r.m.allowable_gradient; })
      .def(
          "state",
          [](const solved_run& r) {
            return py::make_tuple(array_of(r.m.unknowns.data, {r.m.unknowns.length()}),
                                  array_of(r.m.gradient.data, {r.m.gradient.length()}), r.m.objective_value,
                                  r.m.iteration_count, r.m.allowable_gradient);
          },
          "What the minimiser left (unknowns, gradient, objective, iterations, allowable gradient), for restore().")
      .def(
          "write",
          [](solved_run& r, const std::string& folder) {
            py::gil_scoped_release unlocked;
            write_files(r.m, folder);
          },
          py::arg("folder"), "Writes abaqusfile.inp, autocad.scr and output.txt into `folder`.");

  module.def("build", &build, py::arg("source"), py::arg("nodes"), py::arg("bars"), py::arg("areas"), py::arg("law"),
             py::arg("c1"), py::arg("c2"), py::arg("prescribed_at"), py::arg("prescribed_values"), py::arg("loads_at"),
             py::arg("load_values"), py::arg("settings"),
             "A model from checked arrays (1-based numbers; law 1 Neo-Hooke, 2 Mooney-Rivlin; settings as the "
             "settings line of input.txt).");
  module.def("lint", &lint_lines, py::arg("path"),
             "The warnings of kalvane-check --lint on the input.txt at `path`, one line each.");
  module.def("exact_real_text", &exact_real_text, py::arg("value"),
             "The shortest text the reader turns into exactly `value`.");

  module.def(
      "solve",
      [](const held_model& h, int threads) {
        model m = h.m;
        {
          py::gil_scoped_release unlocked;
          solve(m, threads);
        }
        return solved_from(std::move(m));
      },
      py::arg("model"), py::arg("threads"),
      "The program's run (start, minimise, check) on `model`, `threads` per evaluation (0: its own choice).");

  module.def(
      "restore",
      [](const held_model& h, const reals& unknowns, const reals& gradient, double objective, int32_t iterations,
         double allowable_gradient) {
        model m = h.m;
        start(m);
        if (unknowns.size() != m.unknowns.length() || gradient.size() != m.gradient.length())
          fail(data_error, m.source_name + ": a run's state of " + std::to_string(unknowns.size()) +
                               " unknowns does not fit the model's " + std::to_string(m.unknowns.length()));
        m.unknowns.data = vector_of(unknowns);
        m.gradient.data = vector_of(gradient);
        m.objective_value = objective;
        m.iteration_count = iterations;
        m.allowable_gradient = allowable_gradient;
        return solved_from(std::move(m));
      },
      py::arg("model"), py::arg("unknowns"), py::arg("gradient"), py::arg("objective"), py::arg("iterations"),
      py::arg("allowable_gradient"),
      "The finished run of `model` from SolvedRun.state(): the same arrays and files, as a pickled Result needs.");

  module.def("solve_many", [](const std::vector<std::shared_ptr<held_model>>& held, int workers,
                              const std::vector<std::string>& names) {
    if (names.size() != held.size())
      fail(data_error, std::to_string(names.size()) + " names for " + std::to_string(held.size()) + " models");
    std::vector<model> models;
    models.reserve(held.size());
    for (const auto& h : held) models.push_back(h->m);
    std::vector<model*> pointers;
    for (model& m : models) pointers.push_back(&m);
    {
      py::gil_scoped_release unlocked;
      solve_many(pointers, workers, names);
    }
    std::vector<std::shared_ptr<solved_run>> runs;
    for (model& m : models) runs.push_back(solved_from(std::move(m)));
    return runs;
  }, py::arg("models"), py::arg("workers"), py::arg("names"),
     "solve() on each model, side by side on `workers` threads; a failure names its model by names[i].");

  define_structure(module);
#ifdef KALVANE_HAS_PATH
  define_path(module);
#endif
#ifdef KALVANE_HAS_FORM
  define_form(module);
#endif

  // kalvane-check --json on the run in `folder` (input.txt and the three files).
  module.def("check", [](const std::string& folder) {
    check::options o;
    o.dir = folder;
    // The input.txt written there, by name: the check would take a model.json the folder
    // held before, another model's, over it.
    o.model = (std::filesystem::path(folder) / input_file_name).string();
    o.json = true;
    std::string text;
    {
      py::gil_scoped_release unlocked;
      text = check::json_of(check::run_check(o));
    }
    return text;
  }, py::arg("folder"), "What kalvane-check --json says of the run in `folder`, as JSON text.");
}
