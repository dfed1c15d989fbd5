// kalvane.path's core: kalvane-path's run followed in memory on a structure held, its curve,
// events and written equilibrium as arrays, and its files written only when asked.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "arrays.hpp"
#include "error.hpp"
#include "output/input_file.hpp"
#include "path/app.hpp"
#include "structure/model_file.hpp"

namespace py = pybind11;

namespace kalvane::python {

namespace {

// The kinds of the path's events, as kalvane-path's summary and route name them.
const char* event_name(newton::event_kind kind) {
  switch (kind) {
    case newton::event_kind::limit: return "limit";
    case newton::event_kind::bifurcation: return "bifurcation";
    case newton::event_kind::branch_switch: return "branch_switch";
    case newton::event_kind::jump: return "jump";
    case newton::event_kind::slack: return "slack";
    case newton::event_kind::taut: return "taut";
  }
  return "?";
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

// path.csv's columns as arrays, by the names kalvane.Curve gives them.
py::dict curve_of(const path::curve& c) {
  std::vector<int32_t> stage;
  std::vector<double> load_factor, watched, largest, energy, pivot;
  std::vector<int64_t> negative;
  std::vector<int32_t> bar;
  py::list kind;
  for (const path::curve_point& p : c.points) {
    stage.push_back(p.point.stage);
    load_factor.push_back(p.point.load_factor);
    watched.push_back(p.watched);
    largest.push_back(p.largest);
    energy.push_back(p.point.energy);
    pivot.push_back(p.point.smallest_pivot);
    negative.push_back(p.point.negative_pivots);
    kind.append(path::kind_name(p.point.kind));
    bar.push_back(p.point.bar);
  }
  const auto count = static_cast<py::ssize_t>(c.points.size());
  py::dict a;
  a["watch"] = py::make_tuple(c.watch.node, c.watch.component);
  a["stage"] = array_of(stage, {count});
  a["load_factor"] = array_of(load_factor, {count});
  a["watched"] = array_of(watched, {count});
  a["largest_displacement"] = array_of(largest, {count});
  a["total_potential"] = array_of(energy, {count});
  a["smallest_pivot"] = array_of(pivot, {count});
  a["negative_pivots"] = array_of(negative, {count});
  a["kind"] = kind;
  a["bar"] = array_of(bar, {count});
  return a;
}

// (kind, load factor, stage, bar, modes) of every event in order; bar is None for events of
// the whole structure.
py::list events_of(const newton::path_finding& found) {
  py::list events;
  for (const newton::path_event& e : found.events)
    events.append(py::make_tuple(event_name(e.kind), e.load_factor, e.stage,
                                 e.bar > 0 ? py::object(py::int_(e.bar)) : py::object(py::none()), e.modes));
  return events;
}

// A run followed in memory and what kalvane-path would say and write of it.
struct held_path {
  path::path_run run;
  path::outcome outcome;
};

// The structure kalvane-path runs on, with its file's name and text. A model input.txt holds
// goes as input.txt, read by kalvane's own reader as the program reads it, so the run and its
// files are the program's own; any other as the model file.
struct given_model {
  std::string name, text;
  bool as_input = false;
};

given_model given_of(const held_structure& h, const std::string& title_line) {
  given_model g;
  g.as_input = beyond_kalvane(h.s).empty();
  g.name = g.as_input ? input_file_name : model_file_name;
  g.text = g.as_input ? input_text_of(h.s.base, title_line) : model_file_text(h.s);
  return g;
}

// Without the interpreter: the structure of `g`, started and prepared.
structure started(const held_structure& h, const given_model& g) {
  if (!g.as_input) {
    structure s = h.s;
    path::start_structure(s);
    return s;
  }
  try {
    structure s = read_structure_text(g.text, g.name);
    path::start_structure(s);
    return s;
  } catch (const kalvane::error& e) {
    // The text was made here from the caller's arrays: its place ("input.txt:15: ") is no
    // place of theirs, so the model's own name stands for it, as kalvane's own run names it.
    std::string message = e.what();
    const std::string place = g.name + ":";
    if (message.rfind(place, 0) == 0) {
      const std::size_t end = message.find(": ", place.size());
      if (end != std::string::npos) message = h.s.base.source_name + message.substr(end);
    }
    throw kalvane::error(e.name, message);
  }
}

}  // namespace

void define_path(py::module_& module) {
  py::class_<held_path, std::shared_ptr<held_path>>(module, "HeldPath",
                                                    "kalvane-path's run, followed in memory.")
      .def_property_readonly("status", [](const held_path& h) { return h.outcome.status; })
      .def_property_readonly("summary", [](const held_path& h) { return h.outcome.summary; })
      .def_property_readonly("outcome", [](const held_path& h) { return newton::outcome_name(h.run.path.outcome); })
      .def("events", [](const held_path& h) { return events_of(h.run.path); },
           "(kind, load factor, stage, bar or None, modes) of every event, in order.")
      .def("curve", [](const held_path& h) { return curve_of(h.run.c); },
           "path.csv's columns as arrays, by name, and the watched (node, component).")
      .def("answer", [](const held_path& h) { return answer_of(h.outcome); },
           "The written equilibrium's arrays, by name.")
      .def(
          "write",
          [](const held_path& h, const std::string& folder, bool model_there) {
            py::gil_scoped_release unlocked;
            return path::write_run(h.run, folder, model_there);
          },
          py::arg("folder"), py::arg("model_there"),
          "Writes kalvane-path's files into `folder` (without the model's copy where `model_there`: the folder "
          "holds the model read); returns their names, in order.")
      .def(
          "state",
          [](const held_path& h) {
            const newton::vector x = path::free_displacements(h.run);
            const path::applied& at = h.run.end.at;
            return py::make_tuple(array_of(x, {static_cast<py::ssize_t>(x.size())}),
                                  py::make_tuple(at.loads, at.prescribed, at.weight),
                                  h.run.written.base.iteration_count);
          },
          "What restore_path needs to rebuild the written state: (free displacements, (loads, prescribed, weight) "
          "applied, Newton iterations).")
      .def(
          "write_state",
          [](const held_path& h, const std::string& folder) {
            py::gil_scoped_release unlocked;
            path::write_state_files(h.run, folder);
          },
          py::arg("folder"), "Writes the written equilibrium's abaqusfile.inp, autocad.scr, output.txt and bars.csv.");

  module.def(
      "follow",
      [](const held_structure& h, const std::string& title_line, bool together, int watch_node, int watch_component,
         const py::object& callback) {
        path::options o;
        o.how = together ? newton::loading::together : newton::loading::staged;
        if (watch_node > 0) o.watch = path::component_ref{watch_node, watch_component};
        const given_model g = given_of(h, title_line);

        // The callback runs with the interpreter held; its exception stops the path and is
        // raised again here, once the path has ended.
        std::optional<py::error_already_set> raised;
        path::point_observer observer;
        if (!callback.is_none())
          observer = [&](const model& full, const path::curve_point& p, const newton::vector& x) {
            const std::vector<double> u = path::node_displacements(full, p.at, x);
            py::gil_scoped_acquire locked;
            try {
              const py::object go_on = callback(p.point.stage, p.point.load_factor, path::kind_name(p.point.kind),
                                                p.point.energy, p.point.smallest_pivot, p.point.negative_pivots,
                                                array_of(u, {full.node_count, 3}));
              const int truth = PyObject_IsTrue(go_on.ptr());
              if (truth < 0) throw py::error_already_set();
              return truth ? newton::path_control::go_on : newton::path_control::stop;
            } catch (py::error_already_set& e) {
              raised.emplace(std::move(e));
            }
            return newton::path_control::stop;
          };
        auto held = std::make_shared<held_path>();
        {
          py::gil_scoped_release unlocked;
          held->run = path::follow_run(started(h, g), g.name, g.text, o, observer);
          held->outcome = path::outcome_of(held->run, held->run.facts);
        }
        if (raised) throw std::move(*raised);
        return held;
      },
      py::arg("structure"), py::arg("title_line"), py::arg("together"), py::arg("watch_node"),
      py::arg("watch_component"), py::arg("callback"),
      "kalvane-path's run on `structure` in memory (input.txt's title line `title_line` where input.txt holds the "
      "model); callback(stage, load_factor, kind, energy, smallest_pivot, negative_pivots, displacements) is told "
      "of every converged point and stops the path by returning False.");

  module.def(
      "restore_path",
      [](const held_structure& h, const std::string& title_line, const reals& x, const std::array<double, 3>& at,
         int iterations) {
        const given_model g = given_of(h, title_line);
        const newton::vector free = vector_of(x);
        auto held = std::make_shared<held_path>();
        {
          py::gil_scoped_release unlocked;
          held->run = path::restore_run(started(h, g), g.name, g.text, path::applied{at[0], at[1], at[2]}, free,
                                        iterations);
          held->outcome = path::state_of(held->run);
        }
        return held;
      },
      py::arg("structure"), py::arg("title_line"), py::arg("x"), py::arg("at"), py::arg("iterations"),
      "The written state of a path from HeldPath.state(), without following the path again: the same arrays and "
      "state files, bit for bit (its curve, events and summary empty).");
}

}  // namespace kalvane::python
