// kalvane.form_find's core: kalvane-form's library on a structure held, its densities and
// targets given as arrays or taken from the model file's "form" section; the shape found,
// its materialised model and kalvane-form's files.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>

#include "arrays.hpp"
#include "error.hpp"
#include "form/app.hpp"
#include "form/find.hpp"
#include "form/form_csv.hpp"
#include "form/form_svg.hpp"
#include "form/materialise.hpp"
#include "structure/files.hpp"
#include "structure/model_file.hpp"

namespace py = pybind11;

namespace kalvane::python {

namespace {

// A shape found, with the problem it answers and the analysis model made of it.
struct held_form {
  std::string title;
  std::string source;  // the model file read, which writing must not lose; "" for none
  form::problem problem;
  form::form_result result;
  std::vector<double> rest;
  structure analysis;
};

void sized(const char* name, py::ssize_t size, std::size_t bars) {
  if (static_cast<std::size_t>(size) != bars)
    fail(data_error, std::string(name) + " has " + std::to_string(size) + " entries for the " + std::to_string(bars) +
                         " bars");
}

// Per-bar targets from an array whose NaN entries are "no target".
std::vector<std::optional<double>> targets_of(const reals& values) {
  std::vector<std::optional<double>> out(static_cast<std::size_t>(values.size()));
  for (std::size_t b = 0; b < out.size(); ++b)
    if (!std::isnan(values.data()[b])) out[b] = values.data()[b];
  return out;
}

py::dict form_arrays(const held_form& h) {
  const form::form_result& r = h.result;
  const auto bars = static_cast<py::ssize_t>(r.density.size());
  std::vector<double> nodes;
  nodes.reserve(3 * r.nodes.size());
  for (const form::point& x : r.nodes) nodes.insert(nodes.end(), x.begin(), x.end());
  py::dict a;
  a["nodes"] = array_of(nodes, {static_cast<py::ssize_t>(r.nodes.size()), 3});
  a["densities"] = array_of(r.density, {bars});
  a["forces"] = array_of(r.force, {bars});
  a["lengths"] = array_of(r.length, {bars});
  a["rest_lengths"] = array_of(h.rest, {bars});
  a["outcome"] = form::outcome_name(r.outcome);
  a["iterations"] = r.iterations;
  a["largest_force_error"] = r.largest_force_error;
  a["largest_length_error"] = r.largest_length_error;
  a["largest_residual"] = r.largest_residual;
  a["negative_pivots"] = r.negative_pivots;
  a["stop"] = r.stop;
  py::list unmet;
  for (const form::unmet_target& u : r.unmet)
    unmet.append(py::make_tuple(static_cast<long long>(u.bar) + 1, u.kind == form::target_kind::force ? "force" : "length",
                                u.wanted, u.reached, u.why));
  a["unmet"] = unmet;
  return a;
}

}  // namespace

void define_form(py::module_& module) {
  py::class_<held_form, std::shared_ptr<held_form>>(module, "HeldForm", "A shape found by kalvane-form's library.")
      .def("arrays", &form_arrays, "The shape's arrays and the iteration's facts, by name.")
      .def(
          "structure",
          [](const held_form& h) {
            auto held = std::make_shared<held_structure>();
            held->s = h.analysis;
            return held;
          },
          "The analysis model: the structure at the shape found, each bar at its rest length.")
      .def(
          "csv", [](const held_form& h) { return form::form_csv(h.problem, h.result, h.rest); }, "form.csv's text.")
      .def(
          "write",
          [](const held_form& h, const std::string& folder) {
            form::refuse_folder_of_model(h.source, folder, "to Form.write");
            return form::write_form_files(folder, h.analysis, h.problem, h.result, h.rest, h.title);
          },
          py::arg("folder"), "Writes kalvane-form's files into `folder`; returns their names, in order.");

  module.def(
      "form_find",
      [](const held_structure& h, const std::optional<reals>& densities, const std::optional<reals>& forces,
         const std::optional<reals>& lengths, std::optional<double> tolerance, std::optional<int> max_iterations,
         std::optional<bool> loaded) {
        form_data data = h.s.form ? *h.s.form : form_data{};
        if (tolerance) data.tolerance = *tolerance;
        if (max_iterations) data.max_iterations = *max_iterations;
        if (loaded) data.loaded = *loaded;
        const form::form_settings settings = form::settings_of(data.tolerance, data.max_iterations);
        auto held = std::make_shared<held_form>();
        held->title = h.s.title;
        held->source = h.s.base.source_name;
        form::problem& p = held->problem;
        p = form::problem_of(h.s, data);
        const std::size_t bars = p.bars.size();
        if (densities) {
          sized("densities", densities->size(), bars);
          p.density = vector_of(*densities);
        }
        if (forces) {
          sized("forces", forces->size(), bars);
          p.target_force = targets_of(*forces);
        }
        if (lengths) {
          sized("lengths", lengths->size(), bars);
          p.target_length = targets_of(*lengths);
        }
        {
          py::gil_scoped_release unlocked;
          held->result = form::find_form(p, settings);
          held->rest = form::rest_lengths(h.s, held->result);
          held->analysis = form::materialised(h.s, held->result, held->rest);
        }
        return held;
      },
      py::arg("structure"), py::arg("densities"), py::arg("forces"), py::arg("lengths"), py::arg("tolerance"),
      py::arg("max_iterations"), py::arg("loaded"),
      "kalvane-form's run on `structure` in memory: per-bar densities, target forces and target lengths (NaN: "
      "none) replace the model file's; None keeps them (or the defaults).");
}

}  // namespace kalvane::python
