// The companions' structure in Python: built from a model and per-bar arrays, read from and
// written to the model file, validated by the companions' own rules.
#include <pybind11/stl.h>

#include <cmath>
#include <memory>

#include "arrays.hpp"
#include "error.hpp"
#include "run.hpp"
#include "structure/law.hpp"
#include "structure/model_file.hpp"

namespace kalvane::python {

namespace {

// The model file's names of the laws.
const char* const law_words[] = {"neo-hooke", "mooney-rivlin", "linear-elastic"};

axial_law law_of(const std::string& word) {
  for (int k = 0; k < 3; ++k)
    if (word == law_words[k]) return static_cast<axial_law>(k);
  fail(data_error, "a law \"neo-hooke\", \"mooney-rivlin\" or \"linear-elastic\" is expected, not \"" + word + "\"");
}

void sized(const std::string& source, const char* name, py::ssize_t size, int32_t bars) {
  if (size != bars)
    fail(data_error, source + ": " + name + " has " + std::to_string(size) + " entries for the " +
                         std::to_string(bars) + " bars");
}

// A model file's form section as Python holds it, unread by the module: (density, tolerance,
// max_iterations, loaded, groups), each group (bars, density, force, length), None where
// absent; None for no section.
py::object form_tuple(const std::optional<form_data>& f) {
  if (!f) return py::none();
  py::list groups;
  for (const form_group& g : f->groups)
    groups.append(py::make_tuple(py::tuple(py::cast(g.bars)), g.density, g.force, g.length));
  return py::make_tuple(f->density, f->tolerance, f->max_iterations, f->loaded, py::tuple(groups));
}

std::optional<form_data> form_of(const py::object& given) {
  if (given.is_none()) return std::nullopt;
  const auto t = given.cast<py::tuple>();
  form_data f;
  f.density = t[0].cast<double>();
  f.tolerance = t[1].cast<double>();
  f.max_iterations = t[2].cast<int32_t>();
  f.loaded = t[3].cast<bool>();
  for (const py::handle entry : t[4].cast<py::tuple>()) {
    const auto g = entry.cast<py::tuple>();
    form_group group;
    group.bars = g[0].cast<std::vector<int32_t>>();
    group.density = g[1].cast<std::optional<double>>();
    group.force = g[2].cast<std::optional<double>>();
    group.length = g[3].cast<std::optional<double>>();
    f.groups.push_back(std::move(group));
  }
  return f;
}

// `materials` are (name, law, c1, c2, E, weight); a NaN or 0 rest length and a NaN prestress
// are none given; `form` a form section as form_tuple gives it, or None. Validated as every
// companion validates a structure.
std::shared_ptr<held_structure> build_structure(const held_model& h, const std::vector<py::tuple>& materials,
                                                const integers& material_of_bar, const reals& rest_lengths,
                                                const reals& prestress, const flags& cables,
                                                const std::array<double, 3>& gravity, const std::string& title,
                                                const py::object& form) {
  auto held = std::make_shared<held_structure>();
  structure& s = held->s;
  s = structure_of(h.m);
  const std::string& source = s.base.source_name;
  const int32_t count = bar_count(s.base);
  sized(source, "materials", material_of_bar.size(), count);
  sized(source, "rest_lengths", rest_lengths.size(), count);
  sized(source, "prestress", prestress.size(), count);
  sized(source, "cables", cables.size(), count);
  s.materials.clear();
  for (const py::tuple& t : materials) {
    material mat;
    mat.name = t[0].cast<std::string>();
    mat.law = law_of(t[1].cast<std::string>());
    mat.c1 = t[2].cast<double>();
    mat.c2 = t[3].cast<double>();
    mat.E = t[4].cast<double>();
    mat.weight = t[5].cast<double>();
    s.materials.push_back(mat);
  }
  for (int32_t b = 0; b < count; ++b) {
    member& mem = s.members[static_cast<std::size_t>(b)];
    mem.material = material_of_bar.data()[b];
    mem.behaviour = cables.data()[b] ? bar_behaviour::cable : bar_behaviour::bar;
    const double rest = rest_lengths.data()[b], force = prestress.data()[b];
    if (!std::isnan(rest) && rest != 0.0) mem.rest_length = rest;
    if (!std::isnan(force)) mem.prestress = force;
  }
  s.gravity = gravity;
  s.title = title;
  validate(s);
  // The form section names bars by number: it must still fit the bars the model now has.
  s.form = form_of(form);
  std::size_t group = 0;
  const std::string fault = s.form ? form_fault(*s.form, static_cast<std::size_t>(count), group) : "";
  if (!fault.empty()) fail(data_error, source + ": " + fault);
  return held;
}

// The start stage of every program's run: the bars' geometry, which refuses a bar naming a
// node that is not there or one without a length.
void start_stage(model& m) {
  run_plan starting;
  starting.first = starting.last = stage::start;
  run(m, starting);
}

// A copy of the structure as every companion runs it: started and prepared (each bar's rest
// length, from its prestress where one is given).
structure prepared_copy(const held_structure& h) {
  structure s = h.s;
  start_stage(s.base);
  prepare(s);
  return s;
}

// The n x 3 loads of every bar's weight at `density` along `gravity`, by the rule of the
// materials' own weight: on the rest length, half at each end node, bar by bar.
py::array_t<double> self_weight(const held_structure& h, double density, const std::array<double, 3>& gravity) {
  const structure s = prepared_copy(h);
  terms::fmat2 loads;
  loads.allocate(1, s.base.node_count, 1, 3);
  for (int32_t b = 1; b <= bar_count(s.base); ++b) add_bar_weight(s, b, density, gravity, loads);
  return array_of(loads.data, {s.base.node_count, 3});
}

py::dict structure_arrays(const structure& s) {
  py::dict a = arrays_of(data_of(s.base));
  py::list materials;
  for (const material& mat : s.materials)
    materials.append(py::make_tuple(mat.name, law_words[static_cast<int>(mat.law)], mat.c1, mat.c2, mat.E, mat.weight));
  a["materials"] = materials;
  std::vector<int32_t> which;
  std::vector<double> rest, force;
  std::vector<uint8_t> cable;
  for (const member& mem : s.members) {
    which.push_back(mem.material);
    rest.push_back(mem.rest_length ? *mem.rest_length : std::nan(""));
    force.push_back(mem.prestress ? *mem.prestress : std::nan(""));
    cable.push_back(mem.behaviour == bar_behaviour::cable ? 1 : 0);
  }
  const auto count = static_cast<py::ssize_t>(s.members.size());
  a["material_of_bar"] = array_of(which, {count});
  a["rest_lengths"] = array_of(rest, {count});
  a["prestress"] = array_of(force, {count});
  a["cables"] = array_of(cable, {count});
  a["gravity"] = py::make_tuple(s.gravity[0], s.gravity[1], s.gravity[2]);
  a["form"] = form_tuple(s.form);
  // An input.txt's title is whatever bytes its line holds: those that are not UTF-8 come out
  // as U+FFFD, as kalvane.read gives them and the model file writes them.
  const auto title_bytes = static_cast<Py_ssize_t>(s.title.size());
  a["title"] = py::reinterpret_steal<py::str>(PyUnicode_DecodeUTF8(s.title.data(), title_bytes, "replace"));
  return a;
}

}  // namespace

void define_structure(py::module_& module) {
  py::class_<held_structure, std::shared_ptr<held_structure>>(
      module, "HeldStructure", "A structure of several materials, rest lengths, prestress and weight, as read.")
      .def(
          "arrays", [](const held_structure& h) { return structure_arrays(h.s); },
          "The structure's fields as numpy arrays and numbers, by name.")
      .def(
          "text", [](const held_structure& h) { return model_file_text(h.s); }, "The model file's text.")
      .def(
          "save", [](const held_structure& h, const std::string& path) { write_model_file(h.s, path); },
          py::arg("path"), "Writes the model file at `path`.")
      .def(
          "beyond_kalvane", [](const held_structure& h) { return beyond_kalvane(h.s); },
          "The first thing kalvane's own input.txt cannot hold, in words, or \"\".")
      .def(
          "start",
          [](const held_structure& h) {
            model m = h.s.base;
            start_stage(m);
          },
          "Starts a copy as every program starts its run: a bar naming a node that is not there, or without a "
          "length, is refused as they refuse it.")
      .def("self_weight", &self_weight, py::arg("density"), py::arg("gravity"),
           "The n x 3 loads of every bar's weight, density x A x rest length x gravity, half at each end node.")
      .def(
          "model",
          [](const held_structure& h) {
            auto held = std::make_shared<held_model>();
            held->m = h.s.base;
            return held;
          },
          "The model record underneath (kalvane's own), for input.txt and kalvane's run.");

  module.def("build_structure", &build_structure, py::arg("model"), py::arg("materials"), py::arg("material_of_bar"),
             py::arg("rest_lengths"), py::arg("prestress"), py::arg("cables"), py::arg("gravity"), py::arg("title"),
             py::arg("form"),
             "A structure from a model and per-bar arrays (materials as (name, law, c1, c2, E, weight); NaN or 0 "
             "rest length and NaN prestress: none) and a model file's form section (arrays()[\"form\"], or None), "
             "validated.");
  module.def(
      "read_structure",
      [](const std::string& path) {
        auto held = std::make_shared<held_structure>();
        held->s = read_structure(path);
        return held;
      },
      py::arg("path"), "The structure of a model file (or an input.txt) at `path`.");
  module.def(
      "read_input",
      [](const std::string& path) {
        auto held = std::make_shared<held_structure>();
        held->s = read_input_structure(path);
        return held;
      },
      py::arg("path"), "The structure of the input.txt at `path`, by kalvane's own reader, titled as the programs title it.");
  module.def(
      "read_structure_text",
      [](const std::string& text, const std::string& name) {
        auto held = std::make_shared<held_structure>();
        held->s = read_model_text(text, name);
        return held;
      },
      py::arg("text"), py::arg("name"), "The structure a model file's text describes; `name` names it in messages.");
}

}  // namespace kalvane::python
