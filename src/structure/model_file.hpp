#pragma once
// The model file: the companions' structure as JSON (docs/model-format.md, with its schema in
// docs/model.schema.json). Every companion reads it; kalvane itself reads only input.txt.
#include <string>

#include "structure/structure.hpp"

namespace kalvane {

// The structure a model file's text describes, with `base` in the read state (as kalvane's
// reader leaves a model: dof_map holds 0/1 prescribed flags), ready for `start` and `prepare`.
// `name` is the file's name in messages and becomes base.source_name; each bar's line in the
// text becomes its base.bar_line. Throws `error` (data_error) naming the file, the line and
// column, what was expected and what was found; then `validate` refuses values without
// physical sense, naming the bar or material.
structure read_model_text(const std::string& text, const std::string& name);
// The same from the file at `path` (named as given); name_error when it cannot be read.
structure read_model_file(const std::string& path);

// The model file's text of `s`: the structure as given (drawn geometry, the rest lengths and
// prestress forces as given, the live loads), so a structure read, prepared or solved writes
// the same text. Reals in their shortest form that reads back to the same bits. Throws
// data_error for a real that is not finite (JSON has no such number).
std::string model_file_text(const structure& s);
// Writes model_file_text(s) to `path`, whole or not at all; name_error or device_error, naming
// `path` and the reason, when it cannot.
void write_model_file(const structure& s, const std::string& path);

// A model file or an input.txt, told apart by content: a file whose first character other
// than blanks and line ends is '{' is a model file; any other is read by kalvane's own
// reader and becomes the structure that is exactly kalvane's model, titled by its first line.
structure read_structure(const std::string& path);
// The same from the file's text; `name` names it in messages.
structure read_structure_text(const std::string& text, const std::string& name);
// The structure of the input.txt at `path`, by kalvane's own reader whatever the content.
structure read_input_structure(const std::string& path);
// Whether `text` is a model file's by that test.
bool is_model_file_text(const std::string& text);

// The file a companion reads from `folder` ("" for the current one) when it is given no
// model by name: `model.json` when the folder has one (the model file is the richer record,
// and a folder that holds one was made for the companions), else `input.txt`.
std::string find_model(const std::string& folder);

// The whole file at `path`, for the readers; name_error naming it when it cannot be read.
std::string read_whole_text(const std::string& path);

// The file names find_model looks for.
inline constexpr const char* model_file_name = "model.json";
inline constexpr const char* input_file_name = "input.txt";

}  // namespace kalvane
