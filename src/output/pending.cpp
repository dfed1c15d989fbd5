#include "output/writers.hpp"
namespace kalvane {
void write_deck(const model&, const std::string&) {}
void write_script(const model&, const std::string&) {}
void write_report(model&, const std::string&) {}
}
