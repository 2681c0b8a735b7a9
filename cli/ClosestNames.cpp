#include "cli/ClosestNames.h"

#include <algorithm>
#include <cctype>

namespace
{

char Lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string Lowered(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), Lower);
    return out;
}

} // namespace

bool EqualsIgnoreCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

int EditDistance(std::string_view a, std::string_view b)
{
    std::vector<int> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = static_cast<int>(j);
    for (std::size_t i = 1; i <= a.size(); ++i)
    {
        int diagonal = row[0];
        row[0] = static_cast<int>(i);
        for (std::size_t j = 1; j <= b.size(); ++j)
        {
            const int above = row[j];
            const int substitution = diagonal + (Lower(a[i - 1]) == Lower(b[j - 1]) ? 0 : 1);
            row[j] = std::min({above + 1, row[j - 1] + 1, substitution});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::vector<std::string> ClosestNames(std::string_view query, const std::vector<std::string>& candidates,
                                      std::size_t limit)
{
    const std::string q = Lowered(query);
    // A typo costs about one edit per four letters; substring matches rank after close spellings.
    const int threshold = std::max(2, static_cast<int>(q.size()) / 4);
    std::vector<std::pair<int, std::string>> scored;
    for (const std::string& candidate : candidates)
    {
        const std::string c = Lowered(candidate);
        int score = EditDistance(q, c);
        if (score > threshold)
        {
            if (q.size() < 3 || (c.find(q) == std::string::npos && q.find(c) == std::string::npos)) continue;
            score = threshold + 1 + static_cast<int>(c.size() > q.size() ? c.size() - q.size() : 0);
        }
        scored.emplace_back(score, candidate);
    }
    std::stable_sort(scored.begin(), scored.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<std::string> out;
    for (const auto& [score, name] : scored)
    {
        if (out.size() == limit) break;
        out.push_back(name);
    }
    return out;
}
