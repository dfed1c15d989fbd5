#include "view/load_path.hpp"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "error.hpp"

namespace kalvane::view {

namespace {

constexpr const char* columns[] = {"stage",           "load_factor",     "displacement node ",
                                   "largest_displacement", "total_potential", "smallest_pivot",
                                   "negative_pivots", "kind",            "bar"};
constexpr std::size_t column_count = std::size(columns);
// Files written before cables were watched end at `kind`.
constexpr std::size_t columns_without_bar = column_count - 1;

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
      bool header = fields.size() == column_count || fields.size() == columns_without_bar;
      for (std::size_t i = 0; header && i < fields.size(); ++i)
        header = i == 2 ? fields[i].rfind(columns[i], 0) == 0 && fields[i].size() > std::string_view(columns[i]).size()
                        : fields[i] == columns[i];
      if (!header)
        failure("expected kalvane-path's header 'stage,load_factor,displacement node N C,largest_displacement,"
                "total_potential,smallest_pivot,negative_pivots,kind,bar'");
      path.displacement_label = std::string(fields[2]);
      path.columns = fields.size();
      continue;
    }
    if (line.empty()) continue;
    if (fields.size() != path.columns)
      failure("a row needs " + std::to_string(path.columns) + " fields, not " + std::to_string(fields.size()));
    path_point p;
    auto [stage_end, ec] = std::from_chars(fields[0].data(), fields[0].data() + fields[0].size(), p.stage);
    if (ec != std::errc() || stage_end != fields[0].data() + fields[0].size())
      failure("'" + std::string(fields[0]) + "' is not a stage number");
    // Every point of a path has a finite load factor (its displacement may be written NaN).
    if (!parse_real(fields[1], p.load_factor) || !std::isfinite(p.load_factor))
      failure("'" + std::string(fields[1]) + "' is not a load factor");
    if (!parse_real(fields[2], p.displacement)) failure("'" + std::string(fields[2]) + "' is not a displacement");
    auto [pivots_end, pivots_ec] =
        std::from_chars(fields[6].data(), fields[6].data() + fields[6].size(), p.negative_pivots);
    if (pivots_ec != std::errc() || pivots_end != fields[6].data() + fields[6].size() || p.negative_pivots < 0)
      failure("'" + std::string(fields[6]) + "' is not a count of negative pivots");
    p.kind = std::string(fields[7]);
    if (p.kind != "regular" && p.kind != "limit" && p.kind != "bifurcation" && p.kind != "jump" && p.kind != "slack" &&
        p.kind != "taut")
      failure("kind '" + p.kind + "' is none of regular, limit, bifurcation, jump, slack, taut");
    if (path.columns == column_count && !fields[8].empty()) {
      auto [bar_end, bar_ec] = std::from_chars(fields[8].data(), fields[8].data() + fields[8].size(), p.bar);
      if (bar_ec != std::errc() || bar_end != fields[8].data() + fields[8].size() || p.bar < 1)
        failure("'" + std::string(fields[8]) + "' is not a bar number");
    }
    path.points.push_back(std::move(p));
  }
  if (line_number == 0) fail(data_error, name + ":1: the file is empty");
  return path;
}

std::optional<watched_component> watched_of(const load_path& path) {
  const std::string_view label(path.displacement_label), prefix = columns[2];
  if (label.rfind(prefix, 0) != 0) return std::nullopt;
  const char *first = label.data() + prefix.size(), *last = label.data() + label.size();
  watched_component w;
  auto [end, ec] = std::from_chars(first, last, w.node);
  if (ec != std::errc() || last - end != 2 || end[0] != ' ') return std::nullopt;
  const std::string_view axes = "XYZ";
  const std::size_t axis = axes.find(end[1]);
  if (axis == std::string_view::npos) return std::nullopt;
  w.component = static_cast<int>(axis) + 1;
  return w;
}

std::optional<std::size_t> point_of_report(const load_path& path, const report& r, double alike) {
  const auto watched = watched_of(path);
  if (!watched || watched->node < 1 || static_cast<std::size_t>(watched->node) > r.displacement.size())
    return std::nullopt;
  const double reported = r.displacement[static_cast<std::size_t>(watched->node - 1)][static_cast<std::size_t>(watched->component - 1)];
  // A located limit or bifurcation point is where a pivot passes zero, so its count of
  // negative ones is incidental: a collapse's report holds its limit point.
  const auto eligible = [](const path_point& p) {
    return p.negative_pivots == 0 || p.kind == "limit" || p.kind == "bifurcation";
  };
  bool any_stable = false;
  for (const path_point& p : path.points) any_stable = any_stable || eligible(p);
  std::optional<std::size_t> best;
  double best_distance = INFINITY;
  for (std::size_t i = 0; i < path.points.size(); ++i) {
    const path_point& p = path.points[i];
    if (any_stable && !eligible(p)) continue;
    // A distance that is not a number ranks last.
    const double gap = std::fabs(p.displacement - reported);
    const double distance = std::isnan(gap) ? INFINITY : gap <= alike ? 0.0 : gap;
    if (!best || distance <= best_distance)
      best = i, best_distance = distance;
  }
  return best;
}

double alike_displacement(const model& m) {
  double lo[3] = {INFINITY, INFINITY, INFINITY}, hi[3] = {-INFINITY, -INFINITY, -INFINITY};
  for (int32_t k = 1; k <= m.node_count; ++k) {
    const double x[3] = {m.x0(k), m.y0(k), m.z0(k)};
    for (int c = 0; c < 3; ++c) lo[c] = std::min(lo[c], x[c]), hi[c] = std::max(hi[c], x[c]);
  }
  if (m.node_count < 1) return 0.0;
  const double diagonal = std::hypot(hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]);
  return std::isfinite(diagonal) ? 1e-10 * diagonal : 0.0;
}

std::string short_of_full_load(const load_path& path, std::size_t point) {
  const path_point& p = path.points[point];
  if (p.load_factor == 1.0 && p.stage == path.points.back().stage) return "";
  char factor[32];
  std::snprintf(factor, sizeof factor, "%.7g", p.load_factor);
  return std::string("load factor ") + factor + " of stage " + std::to_string(p.stage);
}

bool written_with_report(const std::string& csv_path, const std::string& report_path) {
  std::error_code unknown;
  const auto csv = std::filesystem::last_write_time(csv_path, unknown);
  if (unknown) return false;
  const auto report = std::filesystem::last_write_time(report_path, unknown);
  return !unknown && csv >= report;
}

}  // namespace kalvane::view
