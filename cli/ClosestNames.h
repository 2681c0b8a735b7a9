#pragma once

#include <string>
#include <string_view>
#include <vector>

// Case-insensitive edit distance between two texts.
int EditDistance(std::string_view a, std::string_view b);

// Up to `limit` candidates that look like what the user meant by `query`, best first: those within
// a small edit distance, and those that contain the query (or are contained in it).
std::vector<std::string> ClosestNames(std::string_view query, const std::vector<std::string>& candidates,
                                      std::size_t limit = 3);

bool EqualsIgnoreCase(std::string_view a, std::string_view b);
