#pragma once
// The words of the model file that both its reader and its writer use.
#include "structure/structure.hpp"

namespace kalvane::model_file_words {

inline constexpr const char* format = "kalvane-model";
inline constexpr int version = 1;

inline constexpr const char* law_names[] = {"neo-hooke", "mooney-rivlin", "linear-elastic"};  // by axial_law
inline constexpr const char* behaviour_names[] = {"bar", "cable"};                            // by bar_behaviour
inline constexpr const char* component_names[] = {"x", "y", "z"};                             // components 1..3

inline const char* law_name(axial_law law) { return law_names[static_cast<int>(law)]; }
inline const char* behaviour_name(bar_behaviour b) { return behaviour_names[static_cast<int>(b)]; }

}  // namespace kalvane::model_file_words
