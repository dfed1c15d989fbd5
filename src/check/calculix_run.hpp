#pragma once
// Finding and starting the ccx program.
#include <string>

namespace kalvane::check {

// The executable that `command` names: itself when it holds a '/', else the first match on
// the PATH; empty when there is none.
std::string find_program(const std::string& command);

// Runs `program -i job` in `folder` with one thread, its output in `log_path`; stops it
// after `seconds`. Returns the exit status, or -1 when it could not start or was stopped.
int run_ccx(const std::string& program, const std::string& job, const std::string& folder, const std::string& log_path,
            int seconds);

}  // namespace kalvane::check
