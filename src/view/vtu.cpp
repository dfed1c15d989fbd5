#include "view/vtu.hpp"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>

#include "error.hpp"
#include "view/svg_write.hpp"

namespace kalvane::view {

namespace {

constexpr uint8_t vtk_line = 3;  // VTK's cell type of a two-point line

// Values in little-endian order, as the file declares, on any machine.
template <class T>
char* put(char* at, T value) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(at, &value, sizeof value);
  } else {
    unsigned char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    for (std::size_t i = 0; i < sizeof value; ++i) at[i] = static_cast<char>(bytes[sizeof value - 1 - i]);
  }
  return at + sizeof value;
}

template <class T>
char* put_all(char* at, std::span<const T> values) {
  if constexpr (std::endian::native == std::endian::little) {
    if (!values.empty()) std::memcpy(at, values.data(), values.size_bytes());
    return at + values.size_bytes();
  } else {
    for (T v : values) at = put(at, v);
    return at;
  }
}

char* put_vectors(char* at, std::span<const vec3> values) {
  for (const vec3& v : values) at = put(put(put(at, v.x), v.y), v.z);
  return at;
}

std::string text_of(double value) {
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, end);
}

// The title in a comment: escaped as XML text, and with no "--", which a comment cannot hold.
// Escaping '<' also keeps readers that scan the raw bytes for the data's tag off the title.
std::string comment_of(const std::string& title) {
  std::string out = "<!-- ";
  for (char c : escaped(title)) out += c == '-' && out.back() == '-' ? std::string("&#45;") : std::string(1, c);
  return out + " -->\n";
}

// The appended data: each array is a block of its byte count (UInt64) and then its bytes,
// at the offset its DataArray element names. The blocks lie in the reverse order of their
// elements: meshio renumbers the offsets as it reads and looks each one up by its number,
// first match in the document, so an element it has already renumbered must come after any
// element it has yet to find, or it takes the one for the other.
struct appended_blocks {
  struct block {
    std::size_t bytes;
    std::function<char*(char*)> write;
  };
  std::vector<block> blocks;
  std::size_t size = 0;
  std::vector<std::size_t> offsets;  // of each block, once the sizes are known; empty while they are counted

  // The DataArray element of a new block; `attributes` are its type, name and shape.
  std::string element(const std::string& indent, const std::string& attributes, std::size_t bytes,
                      std::function<char*(char*)> write) {
    const std::size_t offset = offsets.empty() ? 0 : offsets[blocks.size()];
    std::string out = indent + "<DataArray " + attributes + " format=\"appended\" offset=\"" +
                      std::to_string(offset) + "\"/>\n";
    blocks.push_back({bytes, std::move(write)});
    size += sizeof(uint64_t) + bytes;
    return out;
  }

  // Each block's offset with the last block first, from the sizes counted.
  std::vector<std::size_t> reversed_offsets() const {
    std::vector<std::size_t> out(blocks.size());
    std::size_t at = 0;
    for (std::size_t i = blocks.size(); i-- > 0;) out[i] = at, at += sizeof(uint64_t) + blocks[i].bytes;
    return out;
  }
};

std::string name_attribute(const std::string& name) { return "Name=\"" + escaped(name) + "\""; }

[[noreturn]] void does_not_fit(const std::string& name, std::size_t size, std::size_t wanted, const char* per) {
  fail(data_error, "the array '" + name + "' holds " + std::to_string(size) + " values, not one per " + per + " (" +
                       std::to_string(wanted) + ")");
}

void check_fits(const grid_state& s) {
  const std::size_t nodes = s.initial.size(), bars = s.bars.size();
  if (s.displacement.size() != nodes) does_not_fit("displacement", s.displacement.size(), nodes, "node");
  for (const node_vectors& a : s.node_data)
    if (a.values.size() != nodes) does_not_fit(a.name, a.values.size(), nodes, "node");
  for (const bar_values& a : s.bar_data) {
    const std::size_t size = std::visit([](auto values) { return values.size(); }, a.values);
    if (size != bars) does_not_fit(a.name, size, bars, "bar");
  }
  for (std::size_t e = 0; e < bars; ++e)
    for (int32_t node : {s.bars[e].first, s.bars[e].second})
      if (node < 0 || static_cast<std::size_t>(node) >= nodes)
        fail(index_error, "bar " + std::to_string(e + 1) + " names node index " + std::to_string(node) + ", but the grid has " +
                              std::to_string(nodes) + " nodes");
}

}  // namespace

namespace {

// The XML of the file, its DataArray elements pointing into `data`.
std::string document(const grid_state& s, appended_blocks& data) {
  const std::size_t nodes = s.initial.size(), bars = s.bars.size();
  std::string xml = "<?xml version=\"1.0\"?>\n";
  if (!s.title.empty()) xml += comment_of(s.title);
  for (const std::string& note : s.notes) xml += comment_of(note);
  xml += "<VTKFile type=\"UnstructuredGrid\" version=\"1.0\" byte_order=\"LittleEndian\" header_type=\"UInt64\">\n"
         "  <UnstructuredGrid>\n";
  if (!s.field_data.empty()) {
    xml += "    <FieldData>\n";
    for (const state_value& v : s.field_data) {
      const std::string shape = name_attribute(v.name) + " NumberOfTuples=\"1\"";
      if (const double* real = std::get_if<double>(&v.value))
        xml += data.element("      ", "type=\"Float64\" " + shape, sizeof(double),
                            [value = *real](char* at) { return put(at, value); });
      else
        xml += data.element("      ", "type=\"Int32\" " + shape, sizeof(int32_t),
                            [value = std::get<int32_t>(v.value)](char* at) { return put(at, value); });
    }
    xml += "    </FieldData>\n";
  }
  xml += "    <Piece NumberOfPoints=\"" + std::to_string(nodes) + "\" NumberOfCells=\"" + std::to_string(bars) + "\">\n";

  xml += "      <PointData Vectors=\"displacement\">\n";
  const std::size_t vector_bytes = 3 * sizeof(double) * nodes;
  xml += data.element("        ", "type=\"Float64\" Name=\"displacement\" NumberOfComponents=\"3\"", vector_bytes,
                      [&s](char* at) { return put_vectors(at, s.displacement); });
  for (const node_vectors& a : s.node_data)
    xml += data.element("        ", "type=\"Float64\" " + name_attribute(a.name) + " NumberOfComponents=\"3\"",
                        vector_bytes, [&a](char* at) { return put_vectors(at, a.values); });
  xml += "      </PointData>\n";

  xml += s.bar_data.empty() ? "      <CellData>\n"
                            : "      <CellData Scalars=\"" + escaped(s.bar_data.front().name) + "\">\n";
  for (const bar_values& a : s.bar_data) {
    if (const auto* reals = std::get_if<std::span<const double>>(&a.values))
      xml += data.element("        ", "type=\"Float64\" " + name_attribute(a.name), reals->size_bytes(),
                          [values = *reals](char* at) { return put_all(at, values); });
    else {
      const auto integers = std::get<std::span<const int32_t>>(a.values);
      xml += data.element("        ", "type=\"Int32\" " + name_attribute(a.name), integers.size_bytes(),
                          [integers](char* at) { return put_all(at, integers); });
    }
  }
  xml += "      </CellData>\n";

  xml += "      <Points>\n";
  xml += data.element("        ", "type=\"Float64\" Name=\"Points\" NumberOfComponents=\"3\"", vector_bytes,
                      [&s](char* at) {
                        for (std::size_t k = 0; k < s.initial.size(); ++k) {
                          const vec3 &p = s.initial[k], &d = s.displacement[k];
                          at = put(put(put(at, p.x + d.x), p.y + d.y), p.z + d.z);
                        }
                        return at;
                      });
  xml += "      </Points>\n      <Cells>\n";
  xml += data.element("        ", "type=\"Int32\" Name=\"connectivity\"", 2 * sizeof(int32_t) * bars,
                      [&s](char* at) {
                        for (const bar_ends& b : s.bars) at = put(put(at, b.first), b.second);
                        return at;
                      });
  xml += data.element("        ", "type=\"Int64\" Name=\"offsets\"", sizeof(int64_t) * bars, [bars](char* at) {
    for (std::size_t e = 1; e <= bars; ++e) at = put(at, static_cast<int64_t>(2 * e));
    return at;
  });
  xml += data.element("        ", "type=\"UInt8\" Name=\"types\"", bars, [bars](char* at) {
    if (bars) std::memset(at, vtk_line, bars);
    return at + bars;
  });
  xml += "      </Cells>\n    </Piece>\n  </UnstructuredGrid>\n  <AppendedData encoding=\"raw\">\n   _";
  return xml;
}

}  // namespace

std::string render_vtu(const grid_state& s) {
  check_fits(s);
  appended_blocks sizes;
  (void)document(s, sizes);
  appended_blocks data;
  data.offsets = sizes.reversed_offsets();
  std::string xml = document(s, data);

  // The data ends with a line break before the closing tag: meshio takes the data up to it.
  const std::string closing = "\n  </AppendedData>\n</VTKFile>\n";
  std::string out = std::move(xml);
  const std::size_t start = out.size();
  out.resize(start + data.size + closing.size());
  char* at = out.data() + start;
  for (auto b = data.blocks.rbegin(); b != data.blocks.rend(); ++b) {
    char* begin = put(at, static_cast<uint64_t>(b->bytes));
    at = b->write(begin);
    if (static_cast<std::size_t>(at - begin) != b->bytes) fail(data_error, "a block of the .vtu data has the wrong size");
  }
  std::memcpy(at, closing.data(), closing.size());
  return out;
}

std::string render_pvd(const std::vector<series_entry>& entries, const std::string& title) {
  std::string out = "<?xml version=\"1.0\"?>\n";
  if (!title.empty()) out += comment_of(title);
  out += "<VTKFile type=\"Collection\" version=\"0.1\" byte_order=\"LittleEndian\">\n  <Collection>\n";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const series_entry& e = entries[i];
    if (!std::isfinite(e.time) || (i > 0 && !(e.time > entries[i - 1].time)))
      fail(data_error, "the time series' times must be finite and increase: " + e.file + " at " + text_of(e.time) +
                           (i > 0 ? " follows " + entries[i - 1].file + " at " + text_of(entries[i - 1].time) : ""));
    out += "    <DataSet timestep=\"" + text_of(e.time) + "\" group=\"\" part=\"0\" file=\"" + escaped(e.file) + "\"/>\n";
  }
  out += "  </Collection>\n</VTKFile>\n";
  return out;
}

}  // namespace kalvane::view
