#pragma once
// Every failure ends the run: a stage throws `error`, only main catches it and prints
// the report "raised NAME : message".
#include <stdexcept>
#include <string>

namespace kalvane {

struct error : std::runtime_error {
  std::string name;  // full name in the report, e.g. "DATA_ERROR" or "NLP.HALT"
  error(std::string error_name, const std::string& message)
      : std::runtime_error(message), name(std::move(error_name)) {}
};

// The names of the platform errors, one per kind of failure a run can meet.
inline constexpr const char* name_error = "NAME_ERROR";          // a file cannot be opened or created
inline constexpr const char* end_error = "END_ERROR";            // input.txt ends too early
inline constexpr const char* data_error = "DATA_ERROR";          // text that is not the expected number
inline constexpr const char* index_error = "INDEX_ERROR";        // an index outside an array's bounds
inline constexpr const char* access_error = "ACCESS_ERROR";      // an empty material, c2 of Neo-Hooke
inline constexpr const char* storage_error = "STORAGE_ERROR";    // an allocation that fails
inline constexpr const char* overflow_error = "OVERFLOW_ERROR";  // 3 x node_count beyond 32 bits
inline constexpr const char* argument_error = "ARGUMENT_ERROR";  // square root of a negative number
inline constexpr const char* model_error = "MODEL_ERROR";        // a structure that cannot be solved
inline constexpr const char* device_error = "DEVICE_ERROR";      // a write to an output file fails
// The companions' own: a command line they cannot take.
inline constexpr const char* usage_error = "USAGE_ERROR";

[[noreturn]] void fail(const char* name, const std::string& message);

}  // namespace kalvane
