#pragma once
// A second reading of input.txt that looks for what the reader passes over in silence:
// lines beyond a section's count, remarks that look like values, values glued together,
// entries no line names or two lines name, and areas or material constants that cannot
// be meant. The reader itself must keep taking all of these: stored files rely on it.
#include <string>
#include <vector>

namespace kalvane::check {

struct lint_warning {
  long line = 0, column = 0;
  std::string message;
};

// Warnings for `text`, read as the reader reads it; `name` is the file's name for
// `where`. Stops quietly at the first place the reader itself would refuse.
std::vector<lint_warning> lint(const std::string& text);

// "input.txt:12:5: warning: ..."
std::string where(const std::string& name, const lint_warning& w);

}  // namespace kalvane::check
