#pragma once
// The files of a finished run that kalvane-check and kalvane-view read: the model (the
// user's own, which no run makes) and the report beside it (kalvane's for an input.txt,
// kalvane-path's for a model file, written into path/ or the folder --out names). A file
// that cannot be opened is refused saying which run would make it.
#include <filesystem>
#include <string>

namespace kalvane::companion {

// `named`: the model was named by --model, rather than found in the folder.
void require_model(const std::string& path, bool named);

// `model_file`: the model is a model file, whose report only kalvane-path writes; `program`
// ("kalvane-check") is named in the hint to the folder where kalvane-path wrote it.
void require_report(const std::string& report_path, const std::filesystem::path& dir, bool model_file,
                    const std::string& program);

}  // namespace kalvane::companion
