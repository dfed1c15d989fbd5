#pragma once
// The two fixed layouts of every number in the output files: an integer field of width W
// and a real field (fore F, aft A, exp E). Both write into a caller's buffer so that a
// million-line file formats without a single allocation per number.
#include <cstddef>
#include <cstdint>
#include <string>

namespace kalvane {

struct real_layout {
  int fore;  // columns for the lead, the sign and the digits before the point
  int aft;   // digits after the point (at least one is always written)
  int exp;   // exponent digits plus one; 0 selects the fixed form
};

inline constexpr real_layout report_real{2, 6, 3};  // output.txt and abaqusfile.inp
inline constexpr real_layout point_real{1, 8, 3};   // coordinates in autocad.scr

// The most characters the field can take; `out` must have this much room.
std::size_t integer_field_limit(int width);
std::size_t real_field_limit(real_layout layout);

// Write the field at `out` and return the end of what was written.
char* put_integer_field(char* out, int32_t value, int width);
char* put_real_field(char* out, double value, real_layout layout);

// The same fields as strings, for callers that are not writing a file.
std::string integer_field(int32_t value, int width);
std::string real_field(double value, real_layout layout);

}  // namespace kalvane
