#pragma once

#include <string>
#include <utility>
#include <vector>

// Writes a pack file of text entries (entry name, text) under `name`;
// false, with a test failure, when the writer refuses an entry or the file.
bool WriteTextPack(const std::string& name, const std::vector<std::pair<std::string, std::string>>& entries);
