// Writing one data file: all of it or nothing (written beside, then renamed).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

bool WriteDataFile(const std::string &dir, const std::string &name, const std::vector<uint8_t> &bytes);
