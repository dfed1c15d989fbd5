#include "check/cables.hpp"

#include <algorithm>
#include <cmath>

#include "check/findings.hpp"
#include "newton/slack.hpp"
#include "structure/law.hpp"

namespace kalvane::check {

namespace {

// The axial force of every bar at x; only `results_at`'s forces, which take the law from
// its one place.
std::vector<double> forces_at(const structure& s, const newton::vector& x) { return newton::results_at(s, x).force; }

}  // namespace

cable_finding cables_in(const structure& s, const newton::vector& x, const std::vector<double>& reported_stress) {
  cable_finding c;
  const newton::results r = newton::results_at(s, x);
  // A stress printed as a small negative number beside cables at zero is the printing's:
  // compression counts beyond a millionth of the largest stress reported.
  double largest = 0.0;
  for (double v : reported_stress) largest = std::max(largest, std::fabs(v));
  const double floor = 1e-6 * largest;
  for (int32_t b = 1; b <= bar_count(s.base); ++b) {
    if (member_of(s, b).behaviour != bar_behaviour::cable) continue;
    const auto i = static_cast<std::size_t>(b - 1);
    ++c.cables;
    if (r.slack[i]) c.slack.push_back(b);
    if (i < reported_stress.size() && reported_stress[i] < -floor) {
      c.pushed.push_back(b);
      if (reported_stress[i] < c.most_pushed) c.most_pushed = reported_stress[i], c.most_pushed_bar = b;
    }
  }
  if (!c.slack.empty())
    for (const newton::slack_group& g : newton::slack_groups(s, x))
      if (!g.on_no_bar) c.held_by_slack.insert(c.held_by_slack.end(), g.nodes.begin(), g.nodes.end());
  std::sort(c.held_by_slack.begin(), c.held_by_slack.end());
  return c;
}

compression_finding compression_in(const structure& s, const newton::vector& x) {
  compression_finding c;
  const std::vector<double> force = forces_at(s, x);
  double largest = 0.0;
  for (double v : force) largest = std::max(largest, std::fabs(v));
  for (int32_t b = 1; b <= bar_count(s.base); ++b) {
    if (member_of(s, b).behaviour == bar_behaviour::cable) continue;
    const double n = force[static_cast<std::size_t>(b - 1)];
    // A bar at rest, or at rounding of zero, carries nothing.
    if (!(n < -newton::rounding_of(largest))) continue;
    ++c.bars;
    if (n < c.largest) c.largest = n, c.largest_bar = b;
  }
  return c;
}

std::string compression_text(const compression_finding& c) {
  if (c.bars == 0) return "";
  return std::to_string(c.bars) + (c.bars == 1 ? " bar carries" : " bars carry") + " compression, the largest " +
         sci(c.largest) + " in bar " + std::to_string(c.largest_bar) + " (a cable cannot: if these were meant as cables, "
         "give them as cables in the model file)";
}

std::string pushed_text(const cable_finding& c) {
  if (c.pushed.empty()) return "";
  std::string text = "cable " + std::to_string(c.most_pushed_bar) + " carries compression (stress " +
                     sci(c.most_pushed) + ") in the report: a cable cannot push";
  if (c.pushed.size() > 1)
    text += "; " + std::to_string(c.pushed.size() - 1) + " more cable" + (c.pushed.size() == 2 ? " does" : "s do");
  return text;
}

}  // namespace kalvane::check
