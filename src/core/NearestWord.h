// The known word nearest to a mistyped one, for "did you mean ...?" hints.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace velmora {

// Edit distance: the fewest single-character insertions, deletions and
// substitutions that turn one word into the other. Letter case counts.
int editDistance(std::string_view a, std::string_view b);

// The candidate nearest to `word` (the first of equally near ones), or an empty
// view when none lies within `maxDistance` edits. Letter case is ignored here,
// so a word typed in the wrong case still finds its match.
std::string_view nearestWord(std::string_view word, std::span<const std::string_view> candidates,
                             int maxDistance);

// "'WORD' is not WHAT: a, b or c; did you mean b?" (the question only when a
// word lies within a third of the length of WORD, at least 2 edits).
std::string describeWordChoice(std::string_view word, std::string_view what,
                               std::span<const std::string_view> candidates);

}  // namespace velmora
