#pragma once
// Arrays across the binding: numpy in, vectors out and back; the models the runs hold.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "model/model.hpp"
#include "model/model_data.hpp"
#include "structure/structure.hpp"

namespace py = pybind11;

namespace kalvane::python {

using reals = py::array_t<double, py::array::c_style | py::array::forcecast>;
using integers = py::array_t<int32_t, py::array::c_style | py::array::forcecast>;
using flags = py::array_t<uint8_t, py::array::c_style | py::array::forcecast>;

template <class T>
std::vector<T> vector_of(const py::array_t<T, py::array::c_style | py::array::forcecast>& a) {
  return std::vector<T>(a.data(), a.data() + a.size());
}

template <class T>
py::array_t<T> array_of(const std::vector<T>& values, std::vector<py::ssize_t> shape) {
  py::array_t<T> a(shape);
  std::copy(values.begin(), values.end(), a.mutable_data());
  return a;
}

inline py::ssize_t rows(std::size_t size, std::size_t columns) { return static_cast<py::ssize_t>(size / columns); }

// A model as the reader leaves it, held for the runs.
struct held_model {
  model m;
};

// A structure in the read state (several materials, rest lengths, prestress, cables, weight).
struct held_structure {
  structure s;
};

// The model's fields as numpy arrays and numbers, by name.
py::dict arrays_of(const model_data& d);

void define_structure(py::module_& module);

}  // namespace kalvane::python
