#pragma once
// The number syntax of input.txt: integers and reals with signs, single underscores
// between digits, based forms (16#FF#, 2:101:) and exponents.
#include <cstddef>
#include <cstdint>
#include <string>

namespace kalvane {

struct number_scan {
  bool ok = false;          // a complete number was read
  std::size_t end = 0;      // index just past the number (or past the bad run when !ok)
  std::string problem;      // why the run is not a number, when !ok
};

// Scans an integer starting at text[pos]; on success `value` holds it.
number_scan scan_integer(const char* text, std::size_t size, std::size_t pos, int32_t& value);
// Scans a real starting at text[pos]; on success `value` holds it rounded to double.
number_scan scan_real(const char* text, std::size_t size, std::size_t pos, double& value);

}  // namespace kalvane
