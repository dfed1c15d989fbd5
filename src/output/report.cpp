// output.txt: the results report. A framed summary of the minimisation, the final
// displacements, the reaction forces at the supports and the bar stresses.
#include <cmath>

#include "mechanics/element.hpp"
#include "output/text_file.hpp"
#include "output/writers.hpp"

namespace kalvane {
namespace {

void write_summary(text_file& out, const model& m) {
  write_rule(out, 63);
  write_text(out, "| Minor Iterations                            | ");
  write_integer(out, m.iteration_count, 13);
  write_line(out, " |");
  write_text(out, "| Objective                                   | ");
  write_real(out, m.objective_value, report_real);
  write_line(out, " |");
  write_text(out, "| Allowable Maximum Gradient                  | ");
  write_real(out, m.allowable_gradient, report_real);
  write_line(out, " |");
  write_rule(out, 63);
  end_line(out);
  end_line(out);
}

void write_displacements(text_file& out, const model& m) {
  write_rule(out, 59);
  write_line(out, " Node           Displ X           Displ Y           Displ Z");
  write_rule(out, 59);
  end_line(out);
  for (int32_t k = 1; k <= m.node_count; ++k) {
    write_integer(out, k, 5);
    for (int c = 1; c <= 3; ++c) {
      write_blanks(out, 5);
      write_real(out, displacement(m, m.unknowns, k, c), report_real);
    }
    end_line(out);
  }
}

// Turns `loads` into the reaction forces R = -load + the bar end forces at each component.
// The order of the additions (negated load, then bars in turn, node1 before node2) fixes
// the rounding of the printed values.
void accumulate_reactions(model& m) {
  for (int32_t k = 1; k <= m.node_count; ++k)
    for (int c = 1; c <= 3; ++c) m.loads(k, c) = -m.loads(k, c);
  double end_forces[6];
  for (int32_t e = 1; e <= bar_count(m); ++e) {
    const bar_record& bar = m.bars(e);
    element1(m, bar, m.unknowns, end_forces);
    for (int c = 1; c <= 3; ++c) m.loads(bar.node1, c) += end_forces[c - 1];
    for (int c = 1; c <= 3; ++c) m.loads(bar.node2, c) += end_forces[c + 2];
  }
}

// A support reaction is worth reporting when it exceeds the stopping threshold; NaN never does.
bool reported(const model& m, int32_t k, int c) {
  return m.dof_map(k, c) > m.free_count && std::fabs(m.loads(k, c)) > m.allowable_gradient;
}

void write_reactions(text_file& out, const model& m) {
  end_line(out);
  end_line(out);
  write_rule(out, 59);
  write_line(out, " Node           Force X           Force Y           Force Z");
  write_rule(out, 59);
  for (int32_t k = 1; k <= m.node_count; ++k) {
    int last = 0;
    for (int c = 1; c <= 3; ++c)
      if (reported(m, k, c)) last = c;
    if (last == 0) continue;
    write_integer(out, k, 5);
    for (int c = 1; c <= last; ++c) {
      if (reported(m, k, c)) {
        write_blanks(out, 5);
        write_real(out, m.loads(k, c), report_real);
      } else {
        write_blanks(out, 18);  // keeps the next value under its own column
      }
    }
    end_line(out);
  }
}

void write_stresses(text_file& out, const model& m) {
  end_line(out);
  end_line(out);
  write_rule(out, 23);
  write_line(out, " Elem            Stress");
  write_rule(out, 23);
  double end_forces[6];
  for (int32_t e = 1; e <= bar_count(m); ++e) {
    write_integer(out, e, 5);
    write_blanks(out, 5);
    write_real(out, element1(m, m.bars(e), m.unknowns, end_forces).stress, report_real);
    end_line(out);
  }
}

}  // namespace

void write_report(model& m, const std::string& path) {
  text_file out(path);
  write_summary(out, m);
  write_displacements(out, m);
  accumulate_reactions(m);
  write_reactions(out, m);
  write_stresses(out, m);
  close(out);
}

}  // namespace kalvane
