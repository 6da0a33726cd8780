// The romaji guide: the keys still to type on the current line, spelled the way the user is
// typing it. It shows the keys typed for the current unit, then the rest of that unit and
// every later one with the first candidate the lists offer there (the longest unit first,
// then table order, which the key panel sets), and it is planned again after every key from
// the matcher's own lists. A candidate that the matcher would judge otherwise at its place
// (a shorter candidate there completes first, or it leads to a rest no key can finish) is
// passed over for the next one, so typing exactly the guide always finishes the line.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "keytable.h"
#include "matcher.h"

namespace kotopa {

class RomajiGuide {
public:
    // Bytes of reading planned ahead at once: more than the reading box shows, so that a
    // line of any length costs the same per unit; a delivered line is planned whole.
    static constexpr std::size_t kPlanBytes = 1024;

    // A new line: m has just started it. The table m judges with must stay unchanged
    // while the line is typed, as for the matcher itself.
    void StartLine(const Matcher& m);
    // After m judged a key of the line started last.
    void AfterKey(const Matcher& m);
    // No line: the guide shows nothing.
    void Clear();

    // The keys typed for the current unit, as ed_Nyuuryoku shows them.
    const std::string& Typed() const { return typed_; }
    // The keys still to type to the end of the line; empty when the line is typed, or when
    // nothing typed from here can finish it.
    const std::string& Rest() const { return rest_; }

private:
    // How the plan goes on from a place of the reading where a unit begins.
    struct Step {
        std::string keys;       // the candidate typed there
        std::size_t next = 0;   // where the next unit begins
        bool feasible = false;  // typing keys there leads on to the line end
    };
    using Lists = std::array<const std::vector<std::string>*, 3>;  // lst_3, lst_2, lst_1

    static Lists ListsOf(const Matcher& m) { return {&m.lst_3(), &m.lst_2(), &m.lst_1()}; }
    // The entry of lists to type at place pos, or nullptr; next is where its unit ends.
    const std::string* Choose(const Lists& lists, std::size_t pos, std::size_t& next) const;
    bool Reaches(std::size_t pos) const;
    void Plan(std::size_t from);
    void BuildRest(std::size_t from, std::string_view head);

    std::optional<Matcher> probe_;  // a copy of the line's matcher, moved from place to place
    std::string reading_;           // the line's reading with its marker
    std::size_t end_ = 0;           // bytes of the reading before the marker
    std::size_t base_ = 0;          // steps_[i] is the place base_ + i
    std::size_t planned_ = 0;       // the places from base_ up to this one are planned
    std::vector<Step> steps_;
    std::vector<std::size_t> bounds_;  // character boundaries of the window being planned
    std::string typed_;
    std::string rest_;
};

}  // namespace kotopa
