#include "form/form_csv.hpp"

#include <charconv>

namespace kalvane::form {

namespace {

template <class T>
void append(std::string& out, T value) {
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, end);
}

}  // namespace

std::string form_csv(const problem& p, const form_result& r, const std::vector<double>& rest_length) {
  std::string out = "bar,node1,node2,density,force,length,rest_length\n";
  out.reserve(out.size() + 96 * p.bars.size());
  for (std::size_t b = 0; b < p.bars.size(); ++b) {
    append(out, b + 1);
    out += ',';
    append(out, static_cast<long long>(p.bars[b].first) + 1);
    out += ',';
    append(out, static_cast<long long>(p.bars[b].second) + 1);
    for (double value : {r.density[b], r.force[b], r.length[b]}) {
      out += ',';
      append(out, value);
    }
    out += ',';
    if (!rest_length.empty()) append(out, rest_length[b]);
    out += '\n';
  }
  return out;
}

}  // namespace kalvane::form
