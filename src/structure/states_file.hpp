#pragma once
// path.states: the states of a loading path in one binary file beside path.csv, for the
// animated page and for anyone with numpy. Little-endian throughout:
//   header (24 bytes)  "KVSTATES", u32 version (1), u32 nodes n, u32 bars b, u32 states
//   per state          u32 row of path.csv (0: its first data row), i32 stage, f64 load factor,
//                      f64 the fractions of the full loads, prescribed displacements and
//                      self-weight it applies, f64[3n] displacements (node k's X, Y, Z at
//                      3(k-1)), f64[b] axial forces, f64[b] stresses, u8[b] states (0 tension,
//                      1 compression, 2 slack cable), zero bytes up to a multiple of 8
// docs/kalvane-path.md gives the same table.
#include <cstdint>
#include <string>
#include <vector>

namespace kalvane {

struct path_state_record {
  std::uint32_t row = 0;
  std::int32_t stage = 1;
  double load_factor = 0.0;
  double loads = 0.0, prescribed = 0.0, weight = 0.0;  // fractions of their full values
  std::vector<double> displacement;  // 3 per node
  std::vector<double> force;         // per bar
  std::vector<double> stress;        // per bar
  std::vector<std::uint8_t> state;   // per bar, as the .vtu's `state` array codes it
};

struct path_states {
  std::uint32_t nodes = 0, bars = 0;
  std::vector<path_state_record> states;  // in the path's order
};

inline constexpr std::uint32_t path_states_version = 1;
inline constexpr std::size_t path_states_header_bytes = 24;

// The bytes of one state's record for a structure of this size.
std::size_t path_state_bytes(std::uint32_t nodes, std::uint32_t bars);

// The file's bytes. Every record must hold 3 n displacements and b of each per-bar array.
std::string encode_path_states(const path_states& s);

// Reads the file's bytes; `name` begins every error message. Throws kalvane::error when the
// magic, the version or the length is not the layout's, or a state's row does not follow its
// predecessor's.
path_states decode_path_states(const std::string& bytes, const std::string& name);

}  // namespace kalvane
