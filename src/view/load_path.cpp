#include "view/load_path.hpp"

#include <charconv>
#include <cmath>
#include <string_view>

#include "error.hpp"

namespace kalvane::view {

namespace {

constexpr const char* columns[] = {"stage",           "load_factor",     "displacement node ",
                                   "largest_displacement", "total_potential", "smallest_pivot",
                                   "negative_pivots", "kind"};
constexpr std::size_t column_count = std::size(columns);

std::vector<std::string_view> fields_of(std::string_view line) {
  std::vector<std::string_view> out;
  while (true) {
    std::size_t comma = line.find(',');
    out.push_back(line.substr(0, comma));
    if (comma == std::string_view::npos) return out;
    line.remove_prefix(comma + 1);
  }
}

// Numbers as a C++ or Python program writes them, including nan and inf in any case.
bool parse_real(std::string_view text, double& value) {
  std::string lower;
  for (char c : text) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  if (lower == "nan" || lower == "-nan" || lower == "+nan") return value = NAN, true;
  if (lower == "inf" || lower == "+inf" || lower == "infinity") return value = INFINITY, true;
  if (lower == "-inf" || lower == "-infinity") return value = -INFINITY, true;
  const char* first = text.data() + (!text.empty() && text.front() == '+' ? 1 : 0);
  auto [end, ec] = std::from_chars(first, text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && first != end;
}

}  // namespace

load_path read_load_path(const std::string& text, const std::string& name) {
  load_path path;
  std::string_view rest(text);
  int line_number = 0;
  auto failure = [&](const std::string& what) {
    fail(data_error, name + ":" + std::to_string(line_number) + ": " + what);
  };
  while (!rest.empty()) {
    std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++line_number;
    const auto fields = fields_of(line);
    if (line_number == 1) {
      bool header = fields.size() == column_count;
      for (std::size_t i = 0; header && i < column_count; ++i)
        header = i == 2 ? fields[i].rfind(columns[i], 0) == 0 && fields[i].size() > std::string_view(columns[i]).size()
                        : fields[i] == columns[i];
      if (!header)
        failure("expected kalvane-path's header 'stage,load_factor,displacement node N C,largest_displacement,"
                "total_potential,smallest_pivot,negative_pivots,kind'");
      path.displacement_label = std::string(fields[2]);
      continue;
    }
    if (line.empty()) continue;
    if (fields.size() != column_count)
      failure("a row needs " + std::to_string(column_count) + " fields, not " + std::to_string(fields.size()));
    path_point p;
    auto [stage_end, ec] = std::from_chars(fields[0].data(), fields[0].data() + fields[0].size(), p.stage);
    if (ec != std::errc() || stage_end != fields[0].data() + fields[0].size())
      failure("'" + std::string(fields[0]) + "' is not a stage number");
    if (!parse_real(fields[1], p.load_factor)) failure("'" + std::string(fields[1]) + "' is not a load factor");
    if (!parse_real(fields[2], p.displacement)) failure("'" + std::string(fields[2]) + "' is not a displacement");
    auto [pivots_end, pivots_ec] =
        std::from_chars(fields[6].data(), fields[6].data() + fields[6].size(), p.negative_pivots);
    if (pivots_ec != std::errc() || pivots_end != fields[6].data() + fields[6].size() || p.negative_pivots < 0)
      failure("'" + std::string(fields[6]) + "' is not a count of negative pivots");
    p.kind = std::string(fields[7]);
    if (p.kind != "regular" && p.kind != "limit" && p.kind != "bifurcation")
      failure("kind '" + p.kind + "' is none of regular, limit, bifurcation");
    path.points.push_back(std::move(p));
  }
  if (line_number == 0) fail(data_error, name + ":1: the file is empty");
  return path;
}

}  // namespace kalvane::view
