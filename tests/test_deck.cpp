#include <gtest/gtest.h>

#include <string>

#include "error.hpp"
#include "output/writers.hpp"
#include "solved_models.hpp"
#include "support.hpp"

using namespace kalvane;
using namespace solved_models;
using namespace kalvane_test;

namespace {

// Three nodes, two bars, node 1 and 3 held, node 2 held in Y and loaded downwards.
model three_node_model() {
  model m;
  set_nodes(m, {{0, 0, 0}, {1.5, 0, -0.25}, {3, 0, 0}});
  set_bars(m, {{1, 2}, {2, 3}}, 0.01);
  m.material = neo_hooke(2.0);
  set_supports(m, {{1, 1, 0}, {1, 2, 0}, {1, 3, 0}, {2, 2, 0}, {3, 1, 0}, {3, 2, 0}, {3, 3, 0}});
  m.loads(2, 3) = -10.0;
  return m;
}

const char* const three_node_deck =
    "**\n"
    "** NODE COORDINATES\n"
    "*NODE\n"
    "    1,  0.000000E+00,  0.000000E+00,  0.000000E+00\n"
    "    2,  1.500000E+00,  0.000000E+00, -2.500000E-01\n"
    "    3,  3.000000E+00,  0.000000E+00,  0.000000E+00\n"
    "**\n"
    "** ELEMENTS\n"
    "*ELEMENT, TYPE=T3D2, ELSET=SET1\n"
    "    1,     1,     2\n"
    "*ELEMENT, TYPE=T3D2, ELSET=SET2\n"
    "    2,     2,     3\n"
    "**\n"
    "** MATERIAL DEFINITION\n"
    "*MATERIAL, NAME=MAT\n"
    "*HYPERELASTIC, NEO HOOKE\n"
    " 1.000000E+00, 0.000000E+00\n"
    "**\n"
    "** ELEMENT PROPERTIES\n"
    "*SOLID SECTION, MATERIAL=MAT, ELSET=SET1\n"
    " 1.000000E-02\n"
    "*SOLID SECTION, MATERIAL=MAT, ELSET=SET2\n"
    " 1.000000E-02\n"
    "**\n"
    "** ANALYSIS STEP\n"
    "*STEP, AMPLITUDE=RAMP, NLGEOM=YES, INC=100\n"
    "**\n"
    "** STATIC ANALYSIS\n"
    "* STATIC\n"
    " 1.000000E-01,  1.000000E+00\n"
    "**\n"
    "** BOUNDARY CONDITIONS\n"
    "*BOUNDARY\n"
    "    1,     1\n"
    "    1,     2\n"
    "    1,     3\n"
    "    2,     2\n"
    "    3,     1\n"
    "    3,     2\n"
    "    3,     3\n"
    "**\n"
    "** CONCENTRATED FORCES\n"
    "*CLOAD\n"
    "    2,     3, -1.000000E+01\n"
    "**\n"
    "** PRINT DISPLACEMENT AND REACTION FORCE\n"
    "*NODE PRINT\n"
    "U\n"
    "RF\n"
    "**\n"
    "** PRINT STRESS\n"
    "*EL PRINT\n"
    "S\n"
    "*END STEP\n";

std::string deck_of(const model& m) {
  scratch_folder folder;
  write_deck(m, folder / "abaqusfile.inp");
  return read_file(folder / "abaqusfile.inp");
}

TEST(Deck, ThreeNodeModelByteForByte) { EXPECT_EQ(deck_of(three_node_model()), three_node_deck); }

TEST(Deck, MooneyRivlinWritesBothConstantsAsTheyAre) {
  model m = three_node_model();
  m.material = mooney_rivlin(0.5, 0.125);
  const std::string deck = deck_of(m);
  EXPECT_NE(deck.find("*MATERIAL, NAME=MAT\n"
                      "*HYPERELASTIC, MOONEY-RIVLIN\n"
                      " 5.000000E-01,  1.250000E-01, 0.000000E+00\n"
                      "**\n"),
            std::string::npos)
      << deck;
}

// A support moved by a non-zero amount must keep its value in the deck, or the deck
// describes a different structure; a zero of either sign is a plain fixed support.
TEST(Deck, SupportsWithNonZeroDisplacementCarryTheirValue) {
  model m = three_node_model();
  m.prescribed(1, 1) = -0.0214948;
  m.prescribed(1, 2) = -0.0;
  m.prescribed(3, 3) = 0.5;
  const std::string deck = deck_of(m);
  EXPECT_NE(deck.find("*BOUNDARY\n"
                      "    1,     1,     1, -2.149480E-02\n"
                      "    1,     2\n"
                      "    1,     3\n"
                      "    2,     2\n"
                      "    3,     1\n"
                      "    3,     2\n"
                      "    3,     3,     3,  5.000000E-01\n"
                      "**\n"),
            std::string::npos)
      << deck;
}

TEST(Deck, EmptySectionsAndWideNumbers) {
  model m;
  set_nodes(m, {{0, 0, 0}});
  m.bars.allocate(1, 0);
  m.material = neo_hooke(3.0);
  set_supports(m, {});
  m.loads(1, 2) = -0.0;  // writes no line
  const std::string deck = deck_of(m);
  EXPECT_NE(deck.find("** ELEMENTS\n**\n"), std::string::npos);
  EXPECT_NE(deck.find("** ELEMENT PROPERTIES\n**\n"), std::string::npos);
  EXPECT_NE(deck.find("*BOUNDARY\n**\n"), std::string::npos);
  EXPECT_NE(deck.find("*CLOAD\n**\n"), std::string::npos);
  EXPECT_NE(deck.find(" 1.500000E+00, 0.000000E+00\n"), std::string::npos);  // half of c1

  // Bar 12 of a larger model, with a node number beyond five digits.
  model big;
  std::vector<std::array<double, 3>> nodes(100000);
  for (std::size_t i = 0; i < nodes.size(); ++i) nodes[i] = {static_cast<double>(i), 0, 0};
  set_nodes(big, nodes);
  std::vector<std::pair<int32_t, int32_t>> ends(12, {1, 2});
  ends[11] = {99999, 100000};
  set_bars(big, ends, 1.0);
  big.material = neo_hooke(1.0);
  set_supports(big, {{100000, 1, 0}});
  big.loads(3, 1) = 7.0;  // a load on a free component is listed like any other
  const std::string wide = deck_of(big);
  EXPECT_NE(wide.find("*ELEMENT, TYPE=T3D2, ELSET=SET12\n   12, 99999, 100000\n"), std::string::npos);
  EXPECT_NE(wide.find("*SOLID SECTION, MATERIAL=MAT, ELSET=SET12\n 1.000000E+00\n"), std::string::npos);
  EXPECT_NE(wide.find("*BOUNDARY\n100000,     1\n**\n"), std::string::npos);
  EXPECT_NE(wide.find("*CLOAD\n    3,     1,  7.000000E+00\n**\n"), std::string::npos);
}

TEST(Deck, AnEmptyMaterialStopsTheDeckAfterItsHeading) {
  model m;
  set_nodes(m, {{1, 2, 3}});
  m.bars.allocate(1, 0);
  set_supports(m, {});
  scratch_folder folder;
  const std::string path = folder / "abaqusfile.inp";
  try {
    write_deck(m, path);
    FAIL() << "a deck without a material was written";
  } catch (const error& e) {
    EXPECT_EQ(e.name, access_error);
  }
  const std::string deck = read_file(path);
  const std::string tail = "** MATERIAL DEFINITION\n*MATERIAL, NAME=MAT\n";
  ASSERT_GE(deck.size(), tail.size());
  EXPECT_EQ(deck.substr(deck.size() - tail.size()), tail);
}

}  // namespace
