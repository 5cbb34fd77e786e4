// Levenshtein distance over two rows, and the nearest of a list of words.
#include "core/NearestWord.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace velmora {

namespace {

std::string lowerCase(std::string_view word) {
    std::string lower(word);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

}  // namespace

int editDistance(std::string_view a, std::string_view b) {
    // previous[j] is the distance between the first i - 1 characters of a and
    // the first j of b; current builds the same for i.
    std::vector<int> previous(b.size() + 1), current(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) previous[j] = static_cast<int>(j);
    for (size_t i = 1; i <= a.size(); ++i) {
        current[0] = static_cast<int>(i);
        for (size_t j = 1; j <= b.size(); ++j) {
            const int substitution = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitution});
        }
        std::swap(previous, current);
    }
    return previous[b.size()];
}

std::string_view nearestWord(std::string_view word, std::span<const std::string_view> candidates,
                             int maxDistance) {
    const std::string lowerWord = lowerCase(word);
    std::string_view best;
    int bestDistance = maxDistance + 1;
    for (std::string_view candidate : candidates) {
        const int distance = editDistance(lowerWord, lowerCase(candidate));
        if (distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

std::string describeWordChoice(std::string_view word, std::string_view what,
                               std::span<const std::string_view> candidates) {
    std::string text = "'";
    text.append(word).append("' is not ").append(what).append(": ");
    for (size_t i = 0; i < candidates.size(); ++i) {
        if (i > 0) text += i + 1 == candidates.size() ? " or " : ", ";
        text += candidates[i];
    }
    const int reach = std::max(2, static_cast<int>(word.size()) / 3);
    const std::string_view nearest = word.empty() ? std::string_view{} : nearestWord(word, candidates, reach);
    if (!nearest.empty()) text += "; did you mean " + std::string(nearest) + "?";
    return text;
}

}  // namespace velmora
