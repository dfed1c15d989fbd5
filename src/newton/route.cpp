#include "newton/route.hpp"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "newton/slack.hpp"

namespace kalvane::newton {

namespace {

std::string where(const path_event& e, bool stages) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.6g", e.load_factor);
  return std::string(buffer) + (stages ? " of stage " + std::to_string(e.stage) : std::string());
}

}  // namespace

std::string route_text(const path_finding& path, bool stages) {
  std::string text;
  const std::vector<path_event>& events = path.events;
  for (std::size_t i = 0; i < events.size(); ++i) {
    const path_event& e = events[i];
    // What came of a limit or bifurcation point is the next event, at the same point.
    const path_event* then = i + 1 < events.size() && events[i + 1].load_factor == e.load_factor &&
                                     events[i + 1].stage == e.stage
                                 ? &events[i + 1]
                                 : nullptr;
    // A switch is said with its bifurcation; cables going slack or taut are listed apart.
    if (e.kind == event_kind::branch_switch || e.kind == event_kind::slack || e.kind == event_kind::taut) continue;
    if (!text.empty()) text += "; ";
    switch (e.kind) {
      case event_kind::limit:
        text += "limit point at " + where(e, stages);
        if (then && then->kind == event_kind::branch_switch) text += ", held there, branch switched to one the load rises on";
        else if (!then || then->kind != event_kind::jump) text += ", followed round";
        break;
      case event_kind::bifurcation:
        text += std::string(e.modes == 2 ? "double " : "") + "bifurcation at " + where(e, stages);
        if (then && then->kind == event_kind::branch_switch)
          text += std::string(", branch switched") + (then->symmetric ? " (symmetric: the other branch is its mirror image)" : "");
        else if (then && then->kind == event_kind::jump) text += ", its branches unstable";
        else text += ", branch kept";
        break;
      case event_kind::jump:
        switch (e.landing) {
          case jump_end::landed: text += "jump at " + where(e, stages) + " to a stable state"; break;
          case jump_end::unbounded:
            text += "no stable state to jump to at " + where(e, stages) + " (the energy falls on without a minimum)";
            break;
          case jump_end::fell_back:
            text += "no stable state to jump to found at " + where(e, stages) +
                    " (every disturbance along the mode fell back to the point)";
            break;
          case jump_end::crushed:
            text += "no stable state to jump to at " + where(e, stages) + " (bar " + std::to_string(e.bar) +
                    " is crushed: shortened past its largest compressive force, it gives way toward a point)";
            break;
          case jump_end::unsettled:
            text += "no stable state to jump to found at " + where(e, stages) + " (the minimisation of the energy settled nowhere)";
            break;
        }
        break;
      case event_kind::branch_switch:
      case event_kind::slack:
      case event_kind::taut: break;
    }
  }
  if (!text.empty()) text += "; ";
  if (reached_full_load(path)) text += "full load reached, stable";
  else if (path.outcome == path_outcome::unstable_at_full_load) text += "full load reached only on an unstable state: no stable equilibrium found at full load";
  else if (collapsed(path)) text += "no stable equilibrium found at full load";
  else if (path.outcome == path_outcome::mechanism) text += "a mechanism under its first loads";
  else if (path.outcome == path_outcome::stopped) text += "stopped short of full load, as asked";
  else text += "stalled short of full load";
  return text;
}

std::string unheld_text(const path_finding& path) {
  std::vector<int32_t> lone, slack;
  for (int32_t n : path.unheld_nodes)
    (std::binary_search(path.nodes_on_no_bar.begin(), path.nodes_on_no_bar.end(), n) ? lone : slack).push_back(n);
  std::string text;
  if (!slack.empty())
    text += nodes_text(slack) + (slack.size() == 1 ? " is held only by slack cables and carries a load"
                                                    : " are held only by slack cables and carry a load");
  if (!lone.empty())
    text += (text.empty() ? "" : "; ") + nodes_text(lone) +
            (lone.size() == 1 ? " is on no bar and carries a load" : " are on no bar and carry a load");
  return text;
}

}  // namespace kalvane::newton
