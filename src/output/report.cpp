// output.txt: the results report. A framed summary of the minimisation, the final
// displacements, the reaction forces at the supports and the bar stresses.
#include <cmath>

#include "mechanics/element.hpp"
#include "output/report_layout.hpp"
#include "output/text_file.hpp"
#include "output/writers.hpp"

namespace kalvane {

namespace layout = report_layout;

namespace {

void write_blank_lines(text_file& out, int count) {
  for (int i = 0; i < count; ++i) end_line(out);
}

void write_table_head(text_file& out, const layout::table_head& table) {
  write_rule(out, table.rule);
  write_line(out, table.heading);
  write_rule(out, table.rule);
  write_blank_lines(out, table.blank_lines_after_head);
}

void write_value(text_file& out, double value) {
  write_blanks(out, layout::gap);
  write_real(out, value, layout::value);
}

void write_summary(text_file& out, const model& m) {
  write_rule(out, layout::frame_rule);
  write_text(out, layout::iterations_label);
  write_integer(out, m.iteration_count, layout::iterations_width);
  write_line(out, layout::frame_end);
  write_text(out, layout::objective_label);
  write_real(out, m.objective_value, layout::value);
  write_line(out, layout::frame_end);
  write_text(out, layout::gradient_label);
  write_real(out, m.allowable_gradient, layout::value);
  write_line(out, layout::frame_end);
  write_rule(out, layout::frame_rule);
}

void write_displacements(text_file& out, const model& m) {
  write_blank_lines(out, layout::blank_lines_between);
  write_table_head(out, layout::displacement_table);
  for (int32_t k = 1; k <= m.node_count; ++k) {
    write_integer(out, k, layout::number_width);
    for (int c = 1; c <= 3; ++c) write_value(out, displacement(m, m.unknowns, k, c));
    end_line(out);
  }
}

// A support reaction is worth reporting when it exceeds the stopping threshold; NaN never does.
bool reported(const model& m, const terms::fmat2& reactions, int32_t k, int c) {
  return m.dof_map(k, c) > m.free_count && std::fabs(reactions(k, c)) > m.allowable_gradient;
}

void write_reactions(text_file& out, const model& m, const terms::fmat2& reactions) {
  write_blank_lines(out, layout::blank_lines_between);
  write_table_head(out, layout::reaction_table);
  for (int32_t k = 1; k <= m.node_count; ++k) {
    int last = 0;
    for (int c = 1; c <= 3; ++c)
      if (reported(m, reactions, k, c)) last = c;
    if (last == 0) continue;
    write_integer(out, k, layout::number_width);
    for (int c = 1; c <= last; ++c) {
      if (reported(m, reactions, k, c))
        write_value(out, reactions(k, c));
      else
        write_blanks(out, layout::column_width);
    }
    end_line(out);
  }
}

template <class StressOf>
void write_stresses(text_file& out, const model& m, StressOf stress_of) {
  write_blank_lines(out, layout::blank_lines_between);
  write_table_head(out, layout::stress_table);
  for (int32_t e = 1; e <= bar_count(m); ++e) {
    write_integer(out, e, layout::number_width);
    write_value(out, stress_of(e));
    end_line(out);
  }
}

}  // namespace

terms::fmat2 reaction_forces(const model& m) {
  terms::fmat2 reactions;
  reactions.allocate(1, m.node_count, 1, 3);
  for (int32_t k = 1; k <= m.node_count; ++k)
    for (int c = 1; c <= 3; ++c) reactions(k, c) = -m.loads(k, c);
  double end_forces[6];
  for (int32_t e = 1; e <= bar_count(m); ++e) {
    const bar_record& bar = m.bars(e);
    element1(m, bar, m.unknowns, end_forces);
    for (int c = 1; c <= 3; ++c) reactions(bar.node1, c) += end_forces[c - 1];
    for (int c = 1; c <= 3; ++c) reactions(bar.node2, c) += end_forces[c + 2];
  }
  return reactions;
}

void write_report(const model& m, const std::string& path) {
  text_file out(path);
  write_summary(out, m);
  write_displacements(out, m);
  const terms::fmat2 reactions = reaction_forces(m);
  write_reactions(out, m, reactions);
  double end_forces[6];
  write_stresses(out, m, [&](int32_t e) { return element1(m, m.bars(e), m.unknowns, end_forces).stress; });
  close(out);
}

void write_report(const model& m, const terms::fmat2& reactions, const std::vector<double>& stress,
                  const std::string& path) {
  text_file out(path);
  write_summary(out, m);
  write_displacements(out, m);
  write_reactions(out, m, reactions);
  write_stresses(out, m, [&](int32_t e) { return stress[static_cast<std::size_t>(e - 1)]; });
  close(out);
}

}  // namespace kalvane
