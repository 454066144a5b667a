#pragma once

#include <string>
#include <vector>

namespace korvel::testing {

// Compares the lines with <name>.txt in the test's data folder
// (KORVEL_TEST_DATA) line by line, with a readable diff on failure.
// KORVEL_UPDATE_GOLDEN=1 writes the file instead.
void ExpectGolden(const std::vector<std::string>& lines, const std::string& name);

}  // namespace korvel::testing
