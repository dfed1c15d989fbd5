// Fuzz target: arbitrary bytes as the text of input.txt, through the reader alone.
// A report (kalvane::error) or an allocation refused by the system is a normal outcome;
// anything else (a crash, a sanitizer report, another exception, a hang) is a finding.
#include <cstddef>
#include <cstdint>
#include <new>
#include <string>

#include "error.hpp"
#include "model/input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  kalvane::model m;
  try {
    kalvane::input_text(m, text, "input.txt");
  } catch (const kalvane::error& e) {
    // Every report must name its kind and carry a message that starts with the file's name,
    // however far back its explanation reaches.
    if (e.name.empty() || std::string(e.what()).rfind("input.txt:", 0) != 0) __builtin_trap();
  } catch (const std::bad_alloc&) {
  }
  // Whatever the reader got through, it claimed no more than the text can back: every
  // node and every bar takes at least 8 bytes of it.
  const auto backed = [size](long long entries) { return entries <= static_cast<long long>(size) / 8; };
  if (!backed(m.x0.length()) || !backed(m.bars.length()) || !backed(static_cast<long long>(m.loads.data.size() / 3)) ||
      !backed(static_cast<long long>(m.dof_map.data.size() / 3))) __builtin_trap();
  return 0;
}
