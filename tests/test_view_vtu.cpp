#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "error.hpp"
#include "test_view_fixture.hpp"
#include "view/vtu.hpp"

using namespace kalvane::view;

namespace {

// A .vtu read back as a reader does: the XML part parsed, and each DataArray's block found
// at its offset in the raw data after the '_' that opens it (in the reverse order of the
// elements, which meshio's renumbering of the offsets needs).
struct read_vtu {
  std::vector<view_test::element> xml;
  std::map<std::string, std::string> blocks;  // by Name, the bytes after the block's size
  std::map<std::string, view_test::element> arrays;
};

read_vtu read_back(const std::string& file) {
  read_vtu out;
  const std::size_t open = file.find("<AppendedData encoding=\"raw\">");
  const std::size_t underscore = file.find('_', open);
  const std::string closing = "\n  </AppendedData>\n</VTKFile>\n";
  EXPECT_NE(open, std::string::npos);
  EXPECT_EQ(file.substr(file.size() - closing.size()), closing);
  out.xml = view_test::parse_xml(file.substr(0, underscore) + closing);
  const std::size_t data = underscore + 1, end = file.size() - closing.size();
  std::size_t expected_offset = 0;
  for (auto element = out.xml.rbegin(); element != out.xml.rend(); ++element) {
    const auto& e = *element;
    if (e.name != "DataArray") continue;
    const std::size_t offset = std::stoull(e.attributes.at("offset"));
    EXPECT_EQ(offset, expected_offset) << "the blocks follow one another, the last element's first";
    uint64_t size = 0;
    std::memcpy(&size, file.data() + data + offset, sizeof size);
    EXPECT_LE(data + offset + 8 + size, end);
    const std::string name = e.attributes.at("Name");
    out.blocks[name] = file.substr(data + offset + 8, size);
    out.arrays[name] = e;
    expected_offset = offset + 8 + size;
  }
  EXPECT_EQ(data + expected_offset, end) << "nothing between the last block and the closing tag";
  return out;
}

template <class T>
std::vector<T> values_of(const std::string& bytes) {
  std::vector<T> out(bytes.size() / sizeof(T));
  std::memcpy(out.data(), bytes.data(), out.size() * sizeof(T));
  return out;
}

std::vector<uint64_t> bits_of(const std::vector<double>& values) {
  std::vector<uint64_t> out;
  for (double v : values) out.push_back(std::bit_cast<uint64_t>(v));
  return out;
}

const view_test::element& only(const std::vector<view_test::element>& xml, const std::string& name) {
  const view_test::element* found = nullptr;
  for (const auto& e : xml)
    if (e.name == name) {
      EXPECT_EQ(found, nullptr) << "a second <" << name << ">";
      found = &e;
    }
  if (!found) throw std::runtime_error("no <" + name + ">");
  return *found;
}

struct three_bars {
  std::vector<vec3> initial{{0, 0, 0}, {2, 0, 0}, {1, 1.5, -3}};
  std::vector<vec3> displacement{{0, 0, 0}, {1.234567e-3, -0.25, -0.0}, {-7.654321e-8, 0.1, 9.999999e+2}};
  std::vector<bar_ends> bars{{0, 1}, {1, 2}, {2, 0}};
  std::vector<vec3> reaction{{-1e300, 0, 5e-324}, {0, 0, 0}, {0, 0, 0}};
  // Values a reader of text would not take back (NaN, infinities) or would lose (a sign of zero,
  // a subnormal, the last digit of 0.1).
  std::vector<double> stress{std::numeric_limits<double>::quiet_NaN(), -0.0, 0.1};
  std::vector<double> area{std::numeric_limits<double>::infinity(), 4.9e-324, 3e-4};
  std::vector<int32_t> material{0, 2, -1};

  grid_state state() const {
    return {initial, displacement, bars, {{"reaction", reaction}},
            {{"stress", std::span<const double>(stress)}, {"area", std::span<const double>(area)},
             {"material", std::span<const int32_t>(material)}},
            {{"load_factor", 0.75}, {"stage", int32_t{2}}}, "Dome", {}};
  }
};

}  // namespace

TEST(ViewVtu, EveryArrayReadsBackBitForBitWithItsShape) {
  const three_bars t;
  const read_vtu v = read_back(render_vtu(t.state()));
  const auto& root = only(v.xml, "VTKFile");
  EXPECT_EQ(root.attributes.at("type"), "UnstructuredGrid");
  EXPECT_EQ(root.attributes.at("byte_order"), "LittleEndian");
  EXPECT_EQ(root.attributes.at("header_type"), "UInt64");
  const auto& piece = only(v.xml, "Piece");
  EXPECT_EQ(piece.attributes.at("NumberOfPoints"), "3");
  EXPECT_EQ(piece.attributes.at("NumberOfCells"), "3");
  EXPECT_EQ(only(v.xml, "PointData").attributes.at("Vectors"), "displacement");
  EXPECT_EQ(only(v.xml, "CellData").attributes.at("Scalars"), "stress");

  // The points are the deformed positions, each the sum of two doubles.
  std::vector<double> points, displacement;
  for (std::size_t k = 0; k < 3; ++k) {
    const vec3 &p = t.initial[k], &d = t.displacement[k];
    points.insert(points.end(), {p.x + d.x, p.y + d.y, p.z + d.z});
    displacement.insert(displacement.end(), {d.x, d.y, d.z});
  }
  EXPECT_EQ(bits_of(values_of<double>(v.blocks.at("Points"))), bits_of(points));
  EXPECT_EQ(bits_of(values_of<double>(v.blocks.at("displacement"))), bits_of(displacement));
  EXPECT_EQ(bits_of(values_of<double>(v.blocks.at("reaction"))), bits_of({-1e300, 0, 5e-324, 0, 0, 0, 0, 0, 0}));
  for (const char* name : {"Points", "displacement", "reaction"})
    EXPECT_EQ(v.arrays.at(name).attributes.at("NumberOfComponents"), "3") << name;
  EXPECT_EQ(bits_of(values_of<double>(v.blocks.at("stress"))), bits_of(t.stress));
  EXPECT_EQ(bits_of(values_of<double>(v.blocks.at("area"))), bits_of(t.area));
  EXPECT_EQ(v.arrays.at("material").attributes.at("type"), "Int32");
  EXPECT_EQ(values_of<int32_t>(v.blocks.at("material")), t.material);

  // Line cells: two points each, VTK type 3.
  EXPECT_EQ(values_of<int32_t>(v.blocks.at("connectivity")), (std::vector<int32_t>{0, 1, 1, 2, 2, 0}));
  EXPECT_EQ(values_of<int64_t>(v.blocks.at("offsets")), (std::vector<int64_t>{2, 4, 6}));
  EXPECT_EQ(v.blocks.at("types"), std::string(3, '\3'));

  // The state's own numbers, each one tuple.
  EXPECT_EQ(v.arrays.at("load_factor").attributes.at("NumberOfTuples"), "1");
  EXPECT_EQ(values_of<double>(v.blocks.at("load_factor")), std::vector<double>{0.75});
  EXPECT_EQ(v.arrays.at("stage").attributes.at("type"), "Int32");
  EXPECT_EQ(values_of<int32_t>(v.blocks.at("stage")), std::vector<int32_t>{2});
}

TEST(ViewVtu, ArraysThatDoNotFitTheGridAreRefused) {
  three_bars t;
  t.stress.pop_back();
  EXPECT_THROW(render_vtu(t.state()), kalvane::error);
  t = three_bars();
  t.reaction.push_back({});
  EXPECT_THROW(render_vtu(t.state()), kalvane::error);
  t = three_bars();
  t.displacement.pop_back();
  EXPECT_THROW(render_vtu(t.state()), kalvane::error);
  t = three_bars();
  t.bars[2].second = 3;
  EXPECT_THROW(render_vtu(t.state()), kalvane::error);
  t.bars[2].second = -1;
  EXPECT_THROW(render_vtu(t.state()), kalvane::error);
  // No bars at all is still a grid.
  t = three_bars();
  t.bars.clear(), t.stress.clear(), t.area.clear(), t.material.clear();
  const read_vtu empty = read_back(render_vtu(t.state()));
  EXPECT_EQ(only(empty.xml, "Piece").attributes.at("NumberOfCells"), "0");
  EXPECT_TRUE(empty.blocks.at("connectivity").empty());
}

// The title is the user's text: whatever it holds, it stays inside one comment, the XML
// around it stays well-formed, and a reader that scans the bytes for the data's opening tag
// finds the real one.
TEST(ViewVtu, TheTitleCannotBreakOutOfItsComment) {
  three_bars t;
  grid_state s = t.state();
  s.title = "a--b --> <AppendedData encoding=\"raw\">_ & 'q' ---end-";
  for (const std::string& file : {render_vtu(s), render_pvd({{1.0, "a&b\".vtu"}}, s.title)}) {
    const std::size_t open = file.find("<!--"), close = file.find("-->", open + 4);
    ASSERT_NE(close, std::string::npos);
    const std::string comment = file.substr(open + 4, close - open - 4);
    EXPECT_EQ(comment.find("--"), std::string::npos) << comment;
    EXPECT_EQ(comment.find('<'), std::string::npos) << comment;
    EXPECT_NE(comment.find("a-&#45;b -&#45;&gt; &lt;AppendedData encoding=&quot;raw&quot;&gt;_ &amp; &#39;q&#39; "
                           "-&#45;-end-"),
              std::string::npos)
        << comment;
    EXPECT_EQ(file.find("<!--", close), std::string::npos);
  }
  const std::string vtu = render_vtu(s);
  EXPECT_GT(vtu.find("<AppendedData"), vtu.find("</UnstructuredGrid>"));
  EXPECT_EQ(bits_of(values_of<double>(read_back(vtu).blocks.at("stress"))), bits_of(t.stress));
  const auto pvd = view_test::parse_xml(render_pvd({{1.0, "a&b\".vtu"}}, s.title));
  EXPECT_EQ(only(pvd, "DataSet").attributes.at("file"), "a&amp;b&quot;.vtu");
  // No title, no comment.
  s.title.clear();
  EXPECT_EQ(render_vtu(s).find("<!--"), std::string::npos);
}

// ParaView plays a collection in the order of its times: a series whose times do not rise
// would play its states out of order, so it is refused.
TEST(ViewVtu, TheSeriesTimesAreExactAndMustRise) {
  const std::string pvd = render_pvd({{-0.0, "s0.vtu"}, {0.1, "s1.vtu"}, {1.0 / 3.0, "s2.vtu"}}, "");
  std::vector<std::string> times, files;
  const auto doc = view_test::parse_xml(pvd);
  EXPECT_EQ(only(doc, "VTKFile").attributes.at("type"), "Collection");
  for (const auto& e : doc)
    if (e.name == "DataSet") times.push_back(e.attributes.at("timestep")), files.push_back(e.attributes.at("file"));
  EXPECT_EQ(times, (std::vector<std::string>{"-0", "0.1", "0.3333333333333333"}));
  EXPECT_EQ(files, (std::vector<std::string>{"s0.vtu", "s1.vtu", "s2.vtu"}));
  EXPECT_THROW(render_pvd({{0.5, "a.vtu"}, {0.5, "b.vtu"}}, ""), kalvane::error);
  EXPECT_THROW(render_pvd({{0.5, "a.vtu"}, {0.25, "b.vtu"}}, ""), kalvane::error);
  EXPECT_THROW(render_pvd({{std::nan(""), "a.vtu"}}, ""), kalvane::error);
  try {
    render_pvd({{0.8, "s7.vtu"}, {0.6, "s8.vtu"}}, "");
  } catch (const kalvane::error& e) {
    EXPECT_NE(std::string(e.what()).find("s8.vtu at 0.6 follows s7.vtu at 0.8"), std::string::npos) << e.what();
  }
}
