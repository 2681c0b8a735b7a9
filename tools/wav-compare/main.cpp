// brisbleep-wav-compare A B: one line telling whether two audio files are byte-identical and, when
// not, how far their samples lie apart.
//
//   identical                     the files' bytes are the same
//   differ <frames> <max-abs-diff> <first-frame>   the largest absolute sample difference, and the
//                                 first frame where any sample differs (-1: only the headers or the
//                                 lengths differ)
//
// Exit status 0 for both answers, 2 when a file cannot be read.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
bool ReadBytes(const char* path, std::string& bytes)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

bool ReadSamples(const char* path, std::vector<double>& samples, int& channels)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path, SFM_READ, &info);
    if (!file) return false;
    channels = info.channels;
    samples.resize(static_cast<std::size_t>(info.frames) * static_cast<std::size_t>(info.channels));
    const sf_count_t read = sf_readf_double(file, samples.data(), info.frames);
    sf_close(file);
    return read == info.frames;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: %s A B\n", argv[0]);
        return 2;
    }
    std::string a, b;
    if (!ReadBytes(argv[1], a) || !ReadBytes(argv[2], b))
    {
        std::fprintf(stderr, "cannot read %s or %s\n", argv[1], argv[2]);
        return 2;
    }
    if (a == b)
    {
        std::printf("identical\n");
        return 0;
    }
    std::vector<double> x, y;
    int cx = 0, cy = 0;
    if (!ReadSamples(argv[1], x, cx) || !ReadSamples(argv[2], y, cy) || cx != cy || cx < 1)
    {
        std::fprintf(stderr, "cannot decode %s or %s as audio of one channel layout\n", argv[1], argv[2]);
        return 2;
    }
    // Frames present in one file only count against silence.
    const std::size_t n = std::max(x.size(), y.size());
    double largest = 0.0;
    long long first = -1;
    for (std::size_t i = 0; i < n; ++i)
    {
        const double d = std::fabs((i < x.size() ? x[i] : 0.0) - (i < y.size() ? y[i] : 0.0));
        if (d > 0.0 && first < 0) first = static_cast<long long>(i / static_cast<std::size_t>(cx));
        if (d > largest) largest = d;
    }
    std::printf("differ %zu %.9g %lld\n", n / static_cast<std::size_t>(cx), largest, first);
    return 0;
}
