// The model file: what it says reaches the structure bit for bit, what it cannot mean is
// refused with its place, and every input.txt is a model file without loss.
#include "structure/model_file.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <string>

#include "error.hpp"
#include "model/input.hpp"
#include "model/start.hpp"
#include "support.hpp"

using namespace kalvane_test;
namespace fs = std::filesystem;

namespace {

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The read state of two models, field by field, reals to the bit.
void expect_same_model(const kalvane::model& a, const kalvane::model& b) {
  ASSERT_EQ(a.node_count, b.node_count);
  for (int32_t k = 1; k <= a.node_count; ++k) {
    EXPECT_TRUE(same_bits(a.x0(k), b.x0(k)) && same_bits(a.y0(k), b.y0(k)) && same_bits(a.z0(k), b.z0(k))) << k;
    for (int c = 1; c <= 3; ++c) {
      EXPECT_EQ(a.dof_map(k, c), b.dof_map(k, c)) << k << " " << c;
      EXPECT_TRUE(same_bits(a.prescribed(k, c), b.prescribed(k, c))) << k << " " << c;
      EXPECT_TRUE(same_bits(a.loads(k, c), b.loads(k, c))) << k << " " << c;
    }
  }
  ASSERT_EQ(kalvane::bar_count(a), kalvane::bar_count(b));
  for (int32_t i = 1; i <= kalvane::bar_count(a); ++i) {
    EXPECT_EQ(a.bars(i).node1, b.bars(i).node1);
    EXPECT_EQ(a.bars(i).node2, b.bars(i).node2);
    EXPECT_TRUE(same_bits(a.bars(i).area, b.bars(i).area)) << i;
  }
  ASSERT_TRUE(a.material && b.material);
  EXPECT_EQ(a.material->kind, b.material->kind);
  EXPECT_TRUE(same_bits(a.material->c1, b.material->c1));
  EXPECT_TRUE(same_bits(a.material->mooney_c2, b.material->mooney_c2));
  EXPECT_TRUE(same_bits(a.line_search_sigma, b.line_search_sigma));
  EXPECT_EQ(a.line_search_max_steps, b.line_search_max_steps);
  EXPECT_TRUE(same_bits(a.gradient_tolerance, b.gradient_tolerance));
  EXPECT_TRUE(same_bits(a.gradient_reference, b.gradient_reference));
  EXPECT_EQ(a.max_iterations, b.max_iterations);
  EXPECT_EQ(a.memory_size, b.memory_size);
}

// Everything the structure adds to its model.
void expect_same_structure(const kalvane::structure& a, const kalvane::structure& b) {
  expect_same_model(a.base, b.base);
  EXPECT_EQ(a.title, b.title);
  ASSERT_EQ(a.materials.size(), b.materials.size());
  for (std::size_t i = 0; i < a.materials.size(); ++i) {
    const kalvane::material &p = a.materials[i], &q = b.materials[i];
    EXPECT_EQ(p.name, q.name);
    EXPECT_EQ(p.law, q.law);
    EXPECT_TRUE(same_bits(p.c1, q.c1) && same_bits(p.c2, q.c2) && same_bits(p.E, q.E) && same_bits(p.weight, q.weight));
  }
  ASSERT_EQ(a.members.size(), b.members.size());
  for (std::size_t i = 0; i < a.members.size(); ++i) {
    const kalvane::member &p = a.members[i], &q = b.members[i];
    EXPECT_EQ(p.material, q.material);
    EXPECT_EQ(p.behaviour, q.behaviour);
    ASSERT_EQ(p.rest_length.has_value(), q.rest_length.has_value());
    ASSERT_EQ(p.prestress.has_value(), q.prestress.has_value());
    if (p.rest_length) {
      EXPECT_TRUE(same_bits(*p.rest_length, *q.rest_length));
    }
    if (p.prestress) {
      EXPECT_TRUE(same_bits(*p.prestress, *q.prestress));
    }
  }
  for (std::size_t c = 0; c < 3; ++c) EXPECT_TRUE(same_bits(a.gravity[c], b.gravity[c]));
}

std::string real_text(double value) { return nlohmann::json(value).dump(); }

// A model that uses every field, with reals that are awkward to write.
std::string rich_model() {
  const double third = 1.0 / 3.0;
  return R"({"format": "kalvane-model", "version": 1, "title": "Net \"A\" \u00e9\ttab",
  "settings": {"sigma": 0.1, "line_search_steps": 7, "tolerance": )" + real_text(third) + R"(, "reference": -0.0,
               "max_iterations": 12, "memory": 3},
  "materials": [{"name": "steel", "law": "linear-elastic", "E": 1.6e5, "weight": 5e-324},
                {"name": "rubber", "law": "neo-hooke", "c1": 10},
                {"name": "mr", "law": "mooney-rivlin", "c1": 1.0, "c2": -0.0}],
  "gravity": [1e-300, -0.0, -9.81],
  "nodes": [[0.1, )" + real_text(third) + R"(, -0.0], [1e-300, 5e-324, 1.7976931348623157e308], [2, 0, 0.3]],
  "bars": [{"nodes": [1, 2], "area": 0.01, "material": "steel", "behaviour": "cable", "prestress": 1000.0},
           {"nodes": [2, 3], "area": )" + real_text(third) + R"(, "material": "rubber", "rest_length": 0.98},
           {"nodes": [3, 1], "area": 2.5e-7, "behaviour": "bar", "material": "mr"}],
  "prescribed": [{"node": 1, "x": 0.0, "y": -0.0, "z": 0.1}, {"node": 3, "z": -0.05}],
  "loads": [{"node": 2, "z": -1000.0, "x": -0.0}, {"node": 3, "y": 0.0}]
})";
}

// The structure of an input.txt as read by kalvane's own reader, and read_structure's.
kalvane::model read_input(const std::string& path) {
  kalvane::model m;
  kalvane::input(m, path);
  return m;
}

}  // namespace

TEST(ModelFile, WhatItSaysReachesTheStructure) {
  const kalvane::structure s = kalvane::read_model_text(rich_model(), "rich.json");
  const kalvane::model& m = s.base;
  EXPECT_EQ(s.title, "Net \"A\" \xC3\xA9\ttab");
  EXPECT_EQ(m.source_name, "rich.json");
  EXPECT_EQ(m.node_count, 3);
  EXPECT_TRUE(same_bits(m.y0(1), 1.0 / 3.0));
  EXPECT_TRUE(std::signbit(m.z0(1)));
  EXPECT_TRUE(same_bits(m.y0(2), std::numeric_limits<double>::denorm_min()));
  EXPECT_EQ(m.z0(2), std::numeric_limits<double>::max());
  EXPECT_TRUE(std::signbit(m.gradient_reference));
  EXPECT_EQ(m.line_search_max_steps, 7);
  ASSERT_EQ(s.materials.size(), 3u);
  EXPECT_EQ(s.materials[0].law, kalvane::axial_law::linear_elastic);
  EXPECT_EQ(s.materials[1].c1, 10.0);  // an integer is a real where a real is due
  EXPECT_EQ(s.materials[2].law, kalvane::axial_law::mooney_rivlin);
  // kalvane's own record for a steel model: Neo-Hooke of the same small-strain modulus.
  EXPECT_EQ(m.material->kind, kalvane::material_law::neo_hooke);
  EXPECT_EQ(m.material->c1, 1.6e5 / 3.0);
  ASSERT_EQ(s.members.size(), 3u);
  EXPECT_EQ(s.members[0].material, 0);
  EXPECT_EQ(s.members[0].behaviour, kalvane::bar_behaviour::cable);
  EXPECT_EQ(s.members[0].prestress, 1000.0);
  EXPECT_FALSE(s.members[0].rest_length);
  EXPECT_EQ(s.members[1].material, 1);
  EXPECT_EQ(s.members[1].rest_length, 0.98);
  EXPECT_EQ(s.members[2].material, 2);
  EXPECT_EQ(s.members[2].behaviour, kalvane::bar_behaviour::bar);
  // Bars in the read state: ends and area only; their lines for the later messages.
  EXPECT_EQ(m.bars(2).node1, 2);
  EXPECT_EQ(m.bars(2).length0, 0.0);
  EXPECT_EQ(m.bar_line(1), 9);
  EXPECT_EQ(m.bar_line(3), 11);
  EXPECT_EQ(m.dof_map(1, 1) + m.dof_map(1, 2) + m.dof_map(1, 3), 3);
  EXPECT_EQ(m.dof_map(3, 3), 1);
  EXPECT_EQ(m.dof_map(2, 3), 0);
  EXPECT_EQ(m.prescribed(3, 3), -0.05);
  EXPECT_TRUE(std::signbit(m.prescribed(1, 2)));
  EXPECT_EQ(m.loads(2, 3), -1000.0);
  EXPECT_TRUE(std::signbit(m.loads(2, 1)));
  EXPECT_EQ(s.gravity[2], -9.81);
}

TEST(ModelFile, WrittenAndReadBackIsTheSameToTheBitAndTheSameText) {
  const kalvane::structure s = kalvane::read_model_text(rich_model(), "rich.json");
  const std::string text = kalvane::model_file_text(s);
  const kalvane::structure again = kalvane::read_model_text(text, "again.json");
  expect_same_structure(s, again);
  EXPECT_EQ(kalvane::model_file_text(again), text);
  // -0.0 stays negative; an explicit +0.0 load is no load, and is not written.
  EXPECT_NE(text.find("{\"node\": 2, \"x\": -0.0, \"z\": -1000.0}"), std::string::npos) << text;
  EXPECT_EQ(text.find("\"node\": 3, \"y\""), std::string::npos) << text;

  // Random bit patterns, every finite double alike.
  kalvane::structure random_nodes = s;
  std::mt19937_64 random(26);
  kalvane::model& m = random_nodes.base;
  const int32_t n = 3000;
  m.node_count = n;
  for (auto* coordinates : {&m.x0, &m.y0, &m.z0}) coordinates->allocate(1, n);
  m.dof_map.allocate(1, n, 1, 3);
  m.prescribed.allocate(1, n, 1, 3);
  m.loads.allocate(1, n, 1, 3);
  for (int32_t k = 1; k <= n; ++k)
    for (auto* coordinates : {&m.x0, &m.y0, &m.z0}) {
      const std::uint64_t bits = random() % 0x7FF0000000000000ULL | (random() & 0x8000000000000000ULL);
      std::memcpy(&(*coordinates)(k), &bits, sizeof bits);
    }
  const kalvane::structure read = kalvane::read_model_text(kalvane::model_file_text(random_nodes), "random.json");
  expect_same_model(read.base, m);

  scratch_folder dir;
  kalvane::write_model_file(s, dir / "model.json");
  EXPECT_EQ(read_file(dir / "model.json"), text);
  EXPECT_THROW(kalvane::write_model_file(s, dir / "no/such/folder/model.json"), kalvane::error);
  // JSON text is UTF-8: a title in another encoding keeps its other characters.
  kalvane::structure latin = s;
  latin.title = "caf\xE9 \"net\"";
  EXPECT_EQ(kalvane::read_model_text(kalvane::model_file_text(latin), "latin.json").title,
            "caf\xEF\xBF\xBD \"net\"");
  // JSON has no number for what is not finite.
  kalvane::structure broken = s;
  broken.base.loads(1, 1) = std::nan("");
  EXPECT_THROW(kalvane::model_file_text(broken), kalvane::error);
}

// Scripts write JSON their own way: keys sorted (bars before the nodes and materials they
// name), no blanks, numbers in their own form. The structure is the same.
TEST(ModelFile, KeysInAnyOrderAndAnyLayoutGiveTheSameStructure) {
  const kalvane::structure s = kalvane::read_model_text(rich_model(), "rich.json");
  const std::string sorted = nlohmann::json::parse(rich_model()).dump();
  ASSERT_LT(sorted.find("\"bars\""), sorted.find("\"materials\""));
  expect_same_structure(kalvane::read_model_text(sorted, "sorted.json"), s);
  const std::string spread = nlohmann::json::parse(rich_model()).dump(8);
  expect_same_structure(kalvane::read_model_text(spread, "spread.json"), s);
}

TEST(ModelFile, LeftOutFieldsTakeTheirDefaults) {
  const kalvane::structure s = kalvane::read_model_text(
      R"({"format": "kalvane-model", "version": 1, "materials": [{"name": "a", "law": "neo-hooke", "c1": 2.0},
          {"name": "b", "law": "mooney-rivlin", "c1": 1.0, "c2": 0.5}],
          "nodes": [[0, 0, 0], [1, 0, 0]], "bars": [{"nodes": [1, 2], "area": 0.5}], "settings": {"memory": 9}})",
      "small.json");
  EXPECT_EQ(s.title, "");
  EXPECT_EQ(s.base.line_search_sigma, 0.9);
  EXPECT_EQ(s.base.line_search_max_steps, 20);
  EXPECT_EQ(s.base.gradient_tolerance, 0.001);
  EXPECT_EQ(s.base.gradient_reference, 0.0);
  EXPECT_EQ(s.base.max_iterations, 1000);
  EXPECT_EQ(s.base.memory_size, 9);
  EXPECT_EQ(s.gravity, (std::array<double, 3>{0.0, 0.0, -1.0}));
  EXPECT_EQ(s.materials[0].weight, 0.0);
  EXPECT_EQ(s.members[0].material, 0);
  EXPECT_EQ(s.members[0].behaviour, kalvane::bar_behaviour::bar);
  EXPECT_FALSE(s.members[0].rest_length || s.members[0].prestress);
  EXPECT_EQ(s.base.material->kind, kalvane::material_law::neo_hooke);
  EXPECT_EQ(s.base.material->c1, 2.0);
  for (int c = 1; c <= 3; ++c) EXPECT_EQ(s.base.dof_map(1, c) + s.base.dof_map(2, c), 0);

  // As input.txt: a tolerance that is not above zero means 0.001.
  const kalvane::structure zero = kalvane::read_model_text(
      R"({"format": "kalvane-model", "version": 1, "settings": {"tolerance": -1},
          "materials": [{"name": "m", "law": "mooney-rivlin", "c1": 1, "c2": 2}],
          "nodes": [[0, 0, 0], [1, 0, 0]], "bars": [{"nodes": [1, 2], "area": 1}]})", "z");
  EXPECT_EQ(zero.base.gradient_tolerance, 0.001);
  EXPECT_EQ(zero.base.material->kind, kalvane::material_law::mooney_rivlin);
  EXPECT_EQ(kalvane::c2(*zero.base.material), 2.0);
}

TEST(ModelFile, WhatCannotBeMeantIsRefusedWithItsPlace) {
  const std::string head = "{\"format\": \"kalvane-model\", \"version\": 1,\n"
                           "\"materials\": [{\"name\": \"steel\", \"law\": \"linear-elastic\", \"E\": 1}],\n";
  const std::string nodes = "\"nodes\": [[0, 0, 0], [1, 0, 0], [0, 1, 0]],\n";
  const std::string bar = "\"bars\": [{\"nodes\": [1, 2], \"area\": 1},\n";
  struct bad_case {
    std::string text;
    std::string message;  // the whole message, or its beginning when it ends in "..."
  };
  const bad_case cases[] = {
      // Not JSON, or not a model.
      {"{\"format\": \"kalvane-model\",\n  \"version\": 1,,", "m.json:2:16: not valid JSON: syntax error while parsing..."},
      {"", "m.json:1:1: not valid JSON: ..."},
      {"[1, 2]", "m.json:1:1: a model file is one JSON object {\"format\": \"kalvane-model\", ...}, found an array"},
      {"{\"format\": \"kalvane-model\", \"version\": 1, \"nodes\": [], \"bars\": []}",
       "m.json:1:1: the model has no \"materials\""},
      {"{\"version\": 1}", "m.json:1:1: the model has no \"format\" (a model file begins {\"format\": ..."},
      {"{\"format\": \"kalvane-mode\"}", "m.json:1:12: format: \"kalvane-model\" is expected, found the string \"kalvane-mode\""},
      {"{\"format\": \"kalvane-model\", \"version\": 2}", "m.json:1:40: version 2 is newer than this program reads (1)"},
      {head + "\"node\": []}", "m.json:3:1: unknown key \"node\" (a model file holds format, version, title, ..."},
      {head + "\"materials\": []}", "m.json:3:1: \"materials\" is given twice"},
      {head + "\"nodes\": [], \"bars\": [], \"settings\": {\"sigma\": 0.5, \"sigma\": 0.6}}",
       "m.json:3:53: settings: \"sigma\" is given twice"},
      {head + "\"settings\": {\"memroy\": 5}}", "m.json:3:14: settings: unknown key \"memroy\" (the settings are ..."},
      {head + "\"settings\": {\"memory\": 5.5}}", "m.json:3:24: settings: \"memory\" must be an integer, found the number 5.5"},
      {head + "\"settings\": {\"max_iterations\": 3000000000}}",
       "m.json:3:32: settings: \"max_iterations\" must be an integer from -2147483648 to 2147483647, found ..."},
      {head + "\"gravity\": [0, 0]}", "m.json:3:12: gravity: a direction [gx, gy, gz] of three numbers is expected, "
                                      "found an array of 2 values"},
      {head + "\"nodes\": 3}", "m.json:3:10: \"nodes\" must be an array, found the number 3"},
      {head + "\"nodes\": [[0, 0, 0],\n  [0, \"1\", 0]]}",
       "m.json:4:3: nodes[1] (node 2): its y coordinate must be a number, found the string \"1\""},
      {head + "\"nodes\": [[0, 0, 1e999]]}", "m.json:3:18: the number 1e999 is beyond the range of a real number"},
      // Bars.
      {head + nodes + bar + "  {\"nodes\": [2, 3], \"area\": \"0.1\"}]}",
       "m.json:5:29: bars[1] (bar 2): \"area\" must be a number, found the string \"0.1\""},
      {head + nodes + bar + "  {\"nodes\": [2, 3], \"area\": 1, \"are\": 1}]}",
       "m.json:5:32: bars[1] (bar 2): unknown key \"are\" (a bar has nodes, area, material, behaviour, rest_length, "
       "prestress)"},
      {head + nodes + bar + "  {\"nodes\": [2, 3]}]}", "m.json:5:3: bars[1] (bar 2): \"area\" is missing"},
      {head + nodes + bar + "  {\"nodes\": [2, 4], \"area\": 1}]}", "m.json:5:13: bars[1] (bar 2): node 4 is outside 1..3"},
      {head + bar + "  {\"nodes\": [2, 3], \"area\": 1}],\n" + "\"nodes\": [[0, 0, 0], [1, 0, 0]]}",
       "m.json:4:13: bars[1] (bar 2): node 3 is outside 1..2"},
      {head + nodes + bar + "  {\"nodes\": [0, 3], \"area\": 1}]}",
       "m.json:5:13: bars[1] (bar 2): \"nodes\": its first node must be a node number from 1, found the number 0"},
      {head + nodes + bar + "  {\"nodes\": [1, 2, 3], \"area\": 1}]}",
       "m.json:5:13: bars[1] (bar 2): \"nodes\" must be two node numbers [i, j], found an array of 3 values"},
      {head + nodes + bar + "  {\"nodes\": [2, 3], \"area\": 1, \"material\": \"stel\"}]}",
       "m.json:5:44: bars[1] (bar 2): the material \"stel\" is not defined (the materials are \"steel\")"},
      {head + nodes + bar + "  {\"nodes\": [2, 3], \"area\": 1, \"behaviour\": \"rope\"}]}",
       "m.json:5:45: bars[1] (bar 2): \"behaviour\" must be \"bar\" or \"cable\", found the string \"rope\""},
      {head + nodes + bar + "  {\"nodes\": [2, 3], \"area\": 1, \"rest_length\": 1, \"prestress\": 5}]}",
       "m.json:5:50: bars[1] (bar 2): a bar has either \"rest_length\" or \"prestress\", not both"},
      {head + nodes + bar + "  {\"nodes\": [2, 3], \"area\": 1, \"area\": 2}]}",
       "m.json:5:32: bars[1] (bar 2): \"area\" is given twice"},
      {head + nodes + "\"bars\": [7]}", "m.json:4:10: bars[0] (bar 1): a bar is an object {\"nodes\": [i, j], "
                                        "\"area\": A, ...}, found the number 7"},
      {head + nodes + bar + "  {\"nodes\": [2, 3], \"area\": \"x\",, \"material\": \"steel\"}]}",
       "m.json:5:33: not valid JSON: syntax error while parsing object key - unexpected ','; expected string literal"},
      {head + nodes + bar + "  {\"nodes\": [[2], [3]], \"area\": 1}]}",
       "m.json:5:13: bars[1] (bar 2): \"nodes\": its first node must be an integer, found an array"},
      {head + "\"nodes\": [[0, 0, 0, 0]]}",
       "m.json:3:11: nodes[0] (node 1): a node is [x, y, z], found an array of 4 values"},
      // Values without physical sense, named with the bar's line in the model file.
      {head + nodes + bar + "  {\"nodes\": [2, 3], \"area\": -1}]}",
       "m.json: bar 2 (line 5): the area must be positive and finite, not -1"},
      {"{\"format\": \"kalvane-model\", \"version\": 1, \"nodes\": [], \"bars\": [],\n"
       "\"materials\": [{\"name\": \"rope\", \"law\": \"linear-elastic\", \"E\": 0}]}",
       "m.json: material \"rope\": E must be positive and finite, not 0"},
      // Nothing to analyse.
      {head + "\"nodes\": [], \"bars\": []}", "m.json: the model has no nodes"},
      {head + nodes + "\"bars\": []}", "m.json: the model has no bars"},
      // Materials.
      {"{\"materials\": [{\"name\": \"a\", \"law\": \"neo-hooke\", \"c1\": 1},\n {\"name\": \"a\", \"law\": "
       "\"neo-hooke\", \"c1\": 2}]}",
       "m.json:2:11: materials[1]: the material name \"a\" is given twice (also materials[0])"},
      {"{\"materials\": [{\"name\": \"a\", \"law\": \"neo-hooke\", \"E\": 1}]}",
       "m.json:1:50: materials[0]: a neo-hooke material has no \"E\" (its constants are \"c1\")"},
      {"{\"materials\": [{\"name\": \"a\", \"law\": \"mooney-rivlin\", \"c1\": 1}]}",
       "m.json:1:16: materials[0]: a mooney-rivlin material needs \"c1\", \"c2\""},
      {"{\"materials\": [{\"name\": \"a\", \"law\": \"hooke\", \"E\": 1}]}",
       "m.json:1:37: materials[0]: \"law\" must be \"neo-hooke\", \"mooney-rivlin\" or \"linear-elastic\", found the "
       "string \"hooke\""},
      {"{\"materials\": [{\"law\": \"neo-hooke\", \"c1\": 1}]}", "m.json:1:16: materials[0]: \"name\" is missing"},
      {head + "\"materials\": []}", "m.json:3:1: \"materials\" is given twice"},
      // Prescribed displacements and loads.
      {head + nodes + "\"bars\": [],\n\"prescribed\": [{\"node\": 1, \"x\": 0}, {\"node\": 2, \"z\": 0},\n"
                      "  {\"node\": 1, \"y\": 0, \"x\": 0.5}]}",
       "m.json:6:23: prescribed[2]: x of node 1 is given twice (also prescribed[0])"},
      {head + nodes + "\"bars\": [], \"loads\": [{\"node\": 4, \"z\": 1}]}",
       "m.json:4:32: loads[0]: node 4 is outside 1..3"},
      {head + nodes + "\"bars\": [], \"loads\": [{\"node\": 1}]}",
       "m.json:4:23: loads[0]: a load is an object {\"node\": k, and one or more of \"x\", \"y\", \"z\"}, found no "
       "component"},
      {head + nodes + "\"bars\": [], \"prescribed\": [{\"node\": 1.0, \"z\": 0}]}",
       "m.json:4:37: prescribed[0]: \"node\" must be an integer, found the number 1.0"},
      {head + nodes + "\"bars\": [], \"loads\": [{\"node\": 1, \"Z\": 1}]}",
       "m.json:4:35: loads[0]: unknown key \"Z\" (it has node, x, y, z)"},
  };
  for (const bad_case& c : cases) {
    try {
      kalvane::read_model_text(c.text, "m.json");
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const kalvane::error& e) {
      EXPECT_STREQ(e.name.c_str(), kalvane::data_error);
      const std::string message = e.what();
      if (c.message.size() > 3 && c.message.compare(c.message.size() - 3, 3, "...") == 0)
        EXPECT_EQ(message.substr(0, c.message.size() - 3), c.message.substr(0, c.message.size() - 3)) << message;
      else
        EXPECT_EQ(message, c.message);
    }
  }
}

TEST(ModelFile, FilesAreFoundAndToldApartByContent) {
  scratch_folder dir;
  EXPECT_EQ(kalvane::find_model(dir.path), dir / "input.txt");
  write_file(dir / "model.json", kalvane::model_file_text(kalvane::read_model_text(rich_model(), "rich.json")));
  EXPECT_EQ(kalvane::find_model(dir.path), dir / "model.json");
  EXPECT_EQ(kalvane::find_model(""), fs::exists("model.json") ? "model.json" : "input.txt");
  // A folder that is not there, or a file in its place, is named as what it is.
  for (const fs::path wrong : {dir / "missing", dir / "model.json"}) {
    try {
      kalvane::find_model(wrong.string());
      ADD_FAILURE() << wrong;
    } catch (const kalvane::error& e) {
      EXPECT_NE(std::string(e.what()).find(wrong.string() + (wrong == dir / "missing" ? ": it does not exist" : " is not a folder")),
                std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(kalvane::read_model_file(dir / "model.json").base.source_name, dir / "model.json");
  try {
    kalvane::read_model_file(dir / "missing.json");
    ADD_FAILURE();
  } catch (const kalvane::error& e) {
    EXPECT_STREQ(e.name.c_str(), kalvane::name_error);
    EXPECT_NE(std::string(e.what()).find(dir / "missing.json"), std::string::npos);
  }
  EXPECT_THROW(kalvane::read_model_file(dir.path), kalvane::error);
}

// The bundled example, the manual's example and the schema are what the reader takes.
TEST(ModelFile, TheBundledExampleAndTheManualAgreeWithTheReader) {
  const std::string example = read_file(source_path("examples/two_materials/model.json"));
  const kalvane::structure s = kalvane::read_model_text(example, "model.json");
  EXPECT_EQ(s.materials.size(), 2u);
  EXPECT_GE(s.base.node_count, 9);
  // The example is written as the writer writes it, and a structure after `start` (its
  // components numbered) writes as it did before.
  EXPECT_EQ(kalvane::model_file_text(s), example);
  kalvane::structure started = s;
  kalvane::start(started.base);
  EXPECT_EQ(kalvane::model_file_text(started), example);

  // The example is a structure the companions can prepare: the first edge cable's rest
  // length is the drawn length shortened by its prestress, L / (1 + T / (E A)).
  kalvane::prepare(started);
  const double drawn = started.base.bars(1).length0;
  EXPECT_NEAR(started.members[0].rest, drawn / (1.0 + 10.0 / (1.6e8 * 2e-4)), 1e-14 * drawn);

  // The manual's complete example is the bundled one.
  const std::string manual = read_file(source_path("docs/model-format.md"));
  const std::string fence = "```json\n";
  const std::size_t begin = manual.find(fence + "{\n  \"format\"");
  ASSERT_NE(begin, std::string::npos);
  const std::size_t end = manual.find("```", begin + fence.size());
  EXPECT_EQ(manual.substr(begin + fence.size(), end - begin - fence.size()), example);

  const nlohmann::json schema = nlohmann::json::parse(read_file(source_path("docs/model.schema.json")));
  EXPECT_EQ(schema.at("$schema"), "https://json-schema.org/draft/2020-12/schema");
  // Every key the schema allows at the top is one the reader takes, and the other way round.
  std::string keys;
  for (const auto& [key, value] : schema.at("properties").items()) keys += key + " ";
  EXPECT_EQ(keys, "bars form format gravity loads materials nodes prescribed settings title version ");
}

// Every bundled input.txt is a model file without loss: read_structure gives kalvane's own
// model, and its model file reads back as the same structure, to the bit.
TEST(ModelFile, EveryBundledInputIsAModelFileWithoutLoss) {
  int checked = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(source_path("examples"))) {
    const std::string input = (entry.path() / "input.txt").string();
    if (!fs::exists(input)) continue;
    SCOPED_TRACE(input);
    const kalvane::structure s = kalvane::read_structure(input);
    expect_same_model(s.base, read_input(input));
    EXPECT_EQ(s.base.source_name, input);
    EXPECT_TRUE(kalvane::kalvane_can_hold(s));
    const std::string text = kalvane::model_file_text(s);
    const kalvane::structure again = kalvane::read_model_text(text, "model.json");
    expect_same_structure(s, again);
    EXPECT_EQ(kalvane::model_file_text(again), text);
    // A model file is told by its content, whatever its name, after a byte-order mark and blanks.
    scratch_folder dir;
    write_file(dir / "input.txt", "\xEF\xBB\xBF \n" + text);
    expect_same_structure(kalvane::read_structure(dir / "input.txt"), s);
    ++checked;
  }
  EXPECT_GE(checked, 4);
  EXPECT_EQ(kalvane::read_structure(source_path("examples/cable_net/input.txt")).title,
            "Pretensioned cable net 5 x 5: edges pulled outward, interior loaded normal to the net");
}
