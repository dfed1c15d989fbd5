#include "structure/states_file.hpp"

#include <bit>
#include <cstring>
#include <stdexcept>

#include "error.hpp"

namespace kalvane {

namespace {

constexpr char magic[8] = {'K', 'V', 'S', 'T', 'A', 'T', 'E', 'S'};

std::size_t padded(std::size_t bytes) { return (bytes + 7) / 8 * 8; }

void put_u32(std::string& out, std::uint32_t bits) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((bits >> shift) & 0xff);
}

void put_f64(std::string& out, double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  for (int shift = 0; shift < 64; shift += 8) out += static_cast<char>((bits >> shift) & 0xff);
}

// Reads from a byte string whose length was checked beforehand.
struct reader {
  const std::string& bytes;
  std::size_t at = 0;

  std::uint64_t bits(int count) {
    std::uint64_t v = 0;
    for (int i = 0; i < count; ++i)
      v |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)])) << (8 * i);
    at += static_cast<std::size_t>(count);
    return v;
  }
  std::uint32_t u32() { return static_cast<std::uint32_t>(bits(4)); }
  double f64() { return std::bit_cast<double>(bits(8)); }
};

}  // namespace

std::size_t path_state_bytes(std::uint32_t nodes, std::uint32_t bars) {
  return 40 + 24 * static_cast<std::size_t>(nodes) + 16 * static_cast<std::size_t>(bars) + padded(bars);
}

std::string encode_path_states(const path_states& s) {
  std::string out(magic, sizeof magic);
  out.reserve(path_states_header_bytes + s.states.size() * path_state_bytes(s.nodes, s.bars));
  put_u32(out, path_states_version);
  put_u32(out, s.nodes);
  put_u32(out, s.bars);
  put_u32(out, static_cast<std::uint32_t>(s.states.size()));
  for (const path_state_record& r : s.states) {
    if (r.displacement.size() != 3 * static_cast<std::size_t>(s.nodes) || r.force.size() != s.bars ||
        r.stress.size() != s.bars || r.state.size() != s.bars)
      throw std::logic_error("a state of the path does not fit its structure's size");
    put_u32(out, r.row);
    put_u32(out, static_cast<std::uint32_t>(r.stage));
    for (double v : {r.load_factor, r.loads, r.prescribed, r.weight}) put_f64(out, v);
    for (double v : r.displacement) put_f64(out, v);
    for (double v : r.force) put_f64(out, v);
    for (double v : r.stress) put_f64(out, v);
    out.append(reinterpret_cast<const char*>(r.state.data()), r.state.size());
    out.append(padded(s.bars) - s.bars, '\0');
  }
  return out;
}

path_states decode_path_states(const std::string& bytes, const std::string& name) {
  if (bytes.size() < path_states_header_bytes || std::memcmp(bytes.data(), magic, sizeof magic) != 0)
    fail(data_error, name + ": not a path.states file (it does not begin with KVSTATES)");
  reader in{bytes, sizeof magic};
  const std::uint32_t version = in.u32();
  if (version != path_states_version)
    fail(data_error, name + ": version " + std::to_string(version) + " of path.states, expected " +
                         std::to_string(path_states_version) + " (run kalvane-path again)");
  path_states s;
  s.nodes = in.u32();
  s.bars = in.u32();
  const std::uint32_t count = in.u32();
  const std::size_t record = path_state_bytes(s.nodes, s.bars);
  // Checked before anything is allocated, so a damaged count cannot ask for the moon.
  if ((bytes.size() - path_states_header_bytes) / record < count ||
      bytes.size() != path_states_header_bytes + count * record)
    fail(data_error, name + ": " + std::to_string(bytes.size()) + " bytes, but " + std::to_string(count) +
                         " states of " + std::to_string(s.nodes) + " nodes and " + std::to_string(s.bars) +
                         " bars take " + std::to_string(path_states_header_bytes + count * record) +
                         " (is the file cut short?)");
  s.states.resize(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    path_state_record& r = s.states[i];
    r.row = in.u32();
    r.stage = static_cast<std::int32_t>(in.u32());
    if (i > 0 && r.row <= s.states[i - 1].row)
      fail(data_error, name + ": state " + std::to_string(i + 1) + " is of row " + std::to_string(r.row) +
                           ", not after the row before it (" + std::to_string(s.states[i - 1].row) + ")");
    r.load_factor = in.f64();
    r.loads = in.f64();
    r.prescribed = in.f64();
    r.weight = in.f64();
    r.displacement.resize(3 * static_cast<std::size_t>(s.nodes));
    for (double& v : r.displacement) v = in.f64();
    r.force.resize(s.bars);
    for (double& v : r.force) v = in.f64();
    r.stress.resize(s.bars);
    for (double& v : r.stress) v = in.f64();
    r.state.assign(bytes.begin() + static_cast<std::ptrdiff_t>(in.at),
                   bytes.begin() + static_cast<std::ptrdiff_t>(in.at + s.bars));
    for (std::uint8_t code : r.state)
      if (code > 2) fail(data_error, name + ": state " + std::to_string(i + 1) + " has a bar state code " + std::to_string(code) + ", not 0, 1 or 2");
    in.at += padded(s.bars);
  }
  return s;
}

}  // namespace kalvane
