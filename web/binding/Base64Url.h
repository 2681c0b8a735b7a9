#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The URL-safe base64 alphabet ('-' and '_' for '+' and '/') without padding: states travel in a
// link's fragment, where '+', '/' and '=' would need escaping.
std::string Base64UrlEncode(const void* data, std::size_t size);
// Nothing for a character outside the alphabet or a length no encoding has (one character over a
// group of four); padding '=' at the end is accepted, as other encoders add it.
std::optional<std::vector<unsigned char>> Base64UrlDecode(std::string_view text);
