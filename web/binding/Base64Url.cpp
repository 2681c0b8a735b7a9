#include "web/binding/Base64Url.h"

namespace
{

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

int ValueOf(char c)
{
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '-') return 62;
    if (c == '_') return 63;
    return -1;
}

} // namespace

std::string Base64UrlEncode(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::string text;
    text.reserve((size * 4 + 2) / 3);
    for (std::size_t i = 0; i < size; i += 3)
    {
        const std::size_t n = size - i < 3 ? size - i : 3;
        unsigned group = static_cast<unsigned>(bytes[i]) << 16;
        if (n > 1) group |= static_cast<unsigned>(bytes[i + 1]) << 8;
        if (n > 2) group |= bytes[i + 2];
        for (std::size_t k = 0; k <= n; ++k)
            text += kAlphabet[(group >> (18 - 6 * k)) & 63];
    }
    return text;
}

std::optional<std::vector<unsigned char>> Base64UrlDecode(std::string_view text)
{
    while (!text.empty() && text.back() == '=')
        text.remove_suffix(1);
    if (text.size() % 4 == 1) return std::nullopt;
    std::vector<unsigned char> bytes;
    bytes.reserve(text.size() * 3 / 4);
    unsigned group = 0;
    int bits = 0;
    for (const char c : text)
    {
        const int value = ValueOf(c);
        if (value < 0) return std::nullopt;
        group = (group << 6) | static_cast<unsigned>(value);
        bits += 6;
        if (bits >= 8)
        {
            bits -= 8;
            bytes.push_back(static_cast<unsigned char>(group >> bits));
        }
    }
    return bytes;
}
