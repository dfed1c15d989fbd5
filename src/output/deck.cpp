// abaqusfile.inp: the model as an input deck for the Abaqus program, so that the equilibrium
// found here can be cross-checked there. Written before the solve, from the prepared model.
#include "output/text_file.hpp"
#include "output/writers.hpp"

namespace kalvane {
namespace {

void write_nodes(text_file& out, const model& m) {
  write_line(out, "**");
  write_line(out, "** NODE COORDINATES");
  write_line(out, "*NODE");
  for (int32_t i = 1; i <= m.node_count; ++i) {
    write_integer(out, i, 5);
    write_text(out, ", ");
    write_real(out, m.x0(i), report_real);
    write_text(out, ", ");
    write_real(out, m.y0(i), report_real);
    write_text(out, ", ");
    write_real(out, m.z0(i), report_real);
    end_line(out);
  }
}

// Every bar is a one-element set of its own, SET followed by the bar number.
void write_elements(text_file& out, const model& m) {
  write_line(out, "**");
  write_line(out, "** ELEMENTS");
  for (int32_t b = 1; b <= bar_count(m); ++b) {
    const bar_record& bar = m.bars(b);
    write_text(out, "*ELEMENT, TYPE=T3D2, ELSET=SET");
    write_integer(out, b, 0);
    end_line(out);
    write_integer(out, b, 5);
    write_text(out, ", ");
    write_integer(out, bar.node1, 5);
    write_text(out, ", ");
    write_integer(out, bar.node2, 5);
    end_line(out);
  }
}

// The trailing zero is D1: the material is incompressible.
void write_material(text_file& out, const model& m) {
  write_line(out, "**");
  write_line(out, "** MATERIAL DEFINITION");
  write_line(out, "*MATERIAL, NAME=MAT");
  const material_record& material = material_of(m);
  if (material.model == material_law::neo_hooke) {
    // The bar element takes c1 as the shear modulus; the deck wants C10 = c1 / 2.
    write_line(out, "*HYPERELASTIC, NEO HOOKE");
    write_real(out, 0.5 * material.c1, report_real);
    write_line(out, ", 0.000000E+00");
  } else {
    write_line(out, "*HYPERELASTIC, MOONEY-RIVLIN");
    write_real(out, material.c1, report_real);
    write_text(out, ", ");
    write_real(out, c2(material), report_real);
    write_line(out, ", 0.000000E+00");
  }
}

void write_companion_materials(text_file& out, const std::vector<deck_material>& materials) {
  write_line(out, "**");
  write_line(out, "** MATERIAL DEFINITION");
  for (std::size_t k = 0; k < materials.size(); ++k) {
    const deck_material& material = materials[k];
    write_text(out, "*MATERIAL, NAME=MAT");
    write_integer(out, static_cast<int32_t>(k + 1), 0);
    end_line(out);
    switch (material.law) {
      case deck_law::neo_hooke:
        write_line(out, "*HYPERELASTIC, NEO HOOKE");
        write_real(out, 0.5 * material.c1, report_real);
        write_line(out, ", 0.000000E+00");
        break;
      case deck_law::mooney_rivlin:
        write_line(out, "*HYPERELASTIC, MOONEY-RIVLIN");
        write_real(out, material.c1, report_real);
        write_text(out, ", ");
        write_real(out, material.c2, report_real);
        write_line(out, ", 0.000000E+00");
        break;
      case deck_law::linear_elastic:
        write_line(out, "*ELASTIC");
        write_real(out, material.E, report_real);
        write_line(out, ", 0.000000E+00");
        break;
    }
  }
}

// `name_of(b)` names bar b's material ("MAT" or "MAT2").
template <class NameOf>
void write_sections(text_file& out, const model& m, NameOf name_of) {
  write_line(out, "**");
  write_line(out, "** ELEMENT PROPERTIES");
  for (int32_t b = 1; b <= bar_count(m); ++b) {
    write_text(out, "*SOLID SECTION, MATERIAL=");
    write_text(out, name_of(b));
    write_text(out, ", ELSET=SET");
    write_integer(out, b, 0);
    end_line(out);
    write_real(out, m.bars(b).area, report_real);
    end_line(out);
  }
}

void write_step_header(text_file& out) {
  write_line(out, "**");
  write_line(out, "** ANALYSIS STEP");
  write_text(out, "*STEP, AMPLITUDE=RAMP, NLGEOM=YES, INC=");
  write_integer(out, 100, 0);
  end_line(out);
  write_line(out, "**");
  write_line(out, "** STATIC ANALYSIS");
  write_line(out, "* STATIC");
  write_real(out, 0.1, report_real);
  write_line(out, ",  1.000000E+00");
}

// A fixed support is node and component; a support with a non-zero prescribed displacement
// also names the component range (first and last the same) and the value, so the deck
// describes the structure that is solved here rather than one with that support held at 0.
void write_boundary(text_file& out, const model& m) {
  write_line(out, "**");
  write_line(out, "** BOUNDARY CONDITIONS");
  write_line(out, "*BOUNDARY");
  for (int32_t i = 1; i <= m.node_count; ++i) {
    for (int32_t j = 1; j <= 3; ++j) {
      if (m.dof_map(i, j) <= m.free_count) continue;
      write_integer(out, i, 5);
      write_text(out, ", ");
      write_integer(out, j, 5);
      const double value = m.prescribed(i, j);
      if (value != 0.0) {
        write_text(out, ", ");
        write_integer(out, j, 5);
        write_text(out, ", ");
        write_real(out, value, report_real);
      }
      end_line(out);
    }
  }
}

void write_loads(text_file& out, const model& m) {
  write_line(out, "**");
  write_line(out, "** CONCENTRATED FORCES");
  write_line(out, "*CLOAD");
  for (int32_t i = 1; i <= m.node_count; ++i) {
    for (int32_t j = 1; j <= 3; ++j) {
      const double load = m.loads(i, j);
      if (load == 0.0) continue;  // -0.0 too
      write_integer(out, i, 5);
      write_text(out, ", ");
      write_integer(out, j, 5);
      write_text(out, ", ");
      write_real(out, load, report_real);
      end_line(out);
    }
  }
}

void write_print_requests(text_file& out) {
  write_line(out, "**");
  write_line(out, "** PRINT DISPLACEMENT AND REACTION FORCE");
  write_line(out, "*NODE PRINT");
  write_line(out, "U");
  write_line(out, "RF");
  write_line(out, "**");
  write_line(out, "** PRINT STRESS");
  write_line(out, "*EL PRINT");
  write_line(out, "S");
  write_line(out, "*END STEP");
}

}  // namespace

void write_deck(const model& m, const std::string& path) {
  text_file out(path);
  write_nodes(out, m);
  write_elements(out, m);
  write_material(out, m);
  write_sections(out, m, [](int32_t) { return std::string("MAT"); });
  write_step_header(out);
  write_boundary(out, m);
  write_loads(out, m);
  write_print_requests(out);
  close(out);
}

void write_deck(const model& m, const std::vector<deck_material>& materials, const std::vector<int32_t>& bar_material,
                const std::vector<double>& initial_stress, const std::string& path) {
  text_file out(path);
  write_nodes(out, m);
  write_elements(out, m);
  write_companion_materials(out, materials);
  write_sections(out, m, [&](int32_t b) {
    return "MAT" + std::to_string(bar_material[static_cast<std::size_t>(b - 1)] + 1);
  });
  // A bar whose rest length is not its drawn length starts stressed in the drawn shape.
  bool stressed = false;
  for (double stress : initial_stress) stressed = stressed || stress != 0.0;
  if (stressed) {
    write_line(out, "**");
    write_line(out, "** PRESTRESS");
    write_line(out, "*INITIAL CONDITIONS, TYPE=STRESS");
    for (int32_t b = 1; b <= bar_count(m); ++b) {
      const double stress = initial_stress[static_cast<std::size_t>(b - 1)];
      if (stress == 0.0) continue;
      write_text(out, "SET");
      write_integer(out, b, 0);
      write_text(out, ", ");
      write_real(out, stress, report_real);
      end_line(out);
    }
  }
  write_step_header(out);
  write_boundary(out, m);
  write_loads(out, m);
  write_print_requests(out);
  close(out);
}

}  // namespace kalvane
