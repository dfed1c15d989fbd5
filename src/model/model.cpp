#include "model/model.hpp"

#include "error.hpp"

namespace kalvane {

material_record neo_hooke(double c1) {
  return {material_law::neo_hooke, material_law::neo_hooke, c1, 0.0};
}

material_record mooney_rivlin(double c1, double c2) {
  return {material_law::mooney_rivlin, material_law::mooney_rivlin, c1, c2};
}

double c2(const material_record& material) {
  if (material.kind != material_law::mooney_rivlin)
    fail(access_error, "a Neo-Hooke material has no second constant c2");
  return material.mooney_c2;
}

const material_record& material_of(const model& m) {
  if (!m.material) fail(access_error, "the material of the model is empty");
  return *m.material;
}

std::string bar_place(const model& m, int32_t b) {
  if (b >= m.bar_line.first && b <= m.bar_line.last && m.bar_line(b) > 0)
    return m.source_name + ":" + std::to_string(m.bar_line(b)) + ": ";
  return m.source_name + ": ";
}

}  // namespace kalvane
