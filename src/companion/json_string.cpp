#include "companion/json_string.hpp"

#include <nlohmann/json.hpp>

namespace kalvane::companion {

std::string json_string(const std::string& text) {
  using json = nlohmann::json;
  return json(text).dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace kalvane::companion
