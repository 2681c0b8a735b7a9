// States travel in links as base64url text; these pin the encoding to the standard's own examples
// and make sure any byte string survives the trip.

#include "web/binding/Base64Url.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

struct Vector
{
    const char* bytes;
    const char* text;
};

// RFC 4648's test vectors, and the two characters that differ from plain base64.
const Vector kVectors[] = {
    {"", ""},           {"f", "Zg"},          {"fo", "Zm8"},          {"foo", "Zm9v"},
    {"foob", "Zm9vYg"}, {"fooba", "Zm9vYmE"}, {"foobar", "Zm9vYmFy"}, {"\xfb\xff\xbf", "-_-_"},
};

TEST(Base64Url, EncodesAndDecodesTheStandardVectors)
{
    for (const Vector& v : kVectors)
    {
        const std::string bytes = v.bytes;
        EXPECT_EQ(Base64UrlEncode(bytes.data(), bytes.size()), v.text) << v.text;
        const auto decoded = Base64UrlDecode(v.text);
        ASSERT_TRUE(decoded) << v.text;
        EXPECT_EQ(std::string(decoded->begin(), decoded->end()), bytes) << v.text;
    }
}

TEST(Base64Url, EveryByteValueAndLengthRoundTrips)
{
    std::vector<unsigned char> bytes;
    for (int i = 0; i < 486; ++i)
        bytes.push_back(static_cast<unsigned char>(i * 37 + 11));
    for (std::size_t length : {0u, 1u, 2u, 3u, 255u, 484u, 485u, 486u})
    {
        const std::string text = Base64UrlEncode(bytes.data(), length);
        EXPECT_EQ(text.size(), (length * 4 + 2) / 3);
        EXPECT_EQ(text.find_first_of("+/="), std::string::npos);
        const auto decoded = Base64UrlDecode(text);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(*decoded,
                  std::vector<unsigned char>(bytes.begin(), bytes.begin() + static_cast<long>(length)));
    }
}

TEST(Base64Url, RefusesWhatNoEncoderWritesButAcceptsPadding)
{
    for (const char* bad : {"Zm9v+", "Zm9v/A", "Zm 9v", "Z", "Zm9vY", "Zm9v\n"})
        EXPECT_FALSE(Base64UrlDecode(bad)) << bad;
    const auto padded = Base64UrlDecode("Zm8=");
    ASSERT_TRUE(padded);
    EXPECT_EQ(std::string(padded->begin(), padded->end()), "fo");
}

} // namespace
