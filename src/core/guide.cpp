#include "guide.h"

#include <algorithm>

#include "keyrules.h"
#include "sjis.h"

namespace kotopa {

namespace {

// Keys the typing box hands over as themselves.
bool Typeable(std::string_view keys) {
    return !keys.empty() && std::all_of(keys.begin(), keys.end(), KeyRules::KeyByte);
}

// Whether typing keys, an entry of the list of the given width (3 for lst_3 ... 1 for
// lst_1), completes that entry's unit with its last key: as the matcher judges, no other
// live entry may be typed in full before it, and none typed in full with the same key in a
// narrower list, which would win (the shortest unit wins).
bool JudgedAsTyped(const KeyRules& rules,
                   const std::array<const std::vector<std::string>*, 3>& lists,
                   std::string_view keys, int width) {
    for (int li = 0; li < 3; ++li) {
        const int w = 3 - li;
        for (const auto& e : *lists[static_cast<std::size_t>(li)]) {
            if (e.empty() || e == marker::kRuledOut || !rules.StartsWith(keys, e)) continue;
            if (e.size() < keys.size() || w < width) return false;
        }
    }
    return true;
}

}  // namespace

void RomajiGuide::Clear() {
    probe_.reset();
    reading_.clear();
    end_ = base_ = planned_ = 0;
    typed_.clear();
    rest_.clear();
}

void RomajiGuide::StartLine(const Matcher& m) {
    probe_.emplace(m);
    reading_.assign(m.ed_Yomi());
    end_ = reading_.size() - std::min(reading_.size(), marker::kLineEnd.size());
    typed_.clear();
    Plan(0);
    BuildRest(0, {});
}

void RomajiGuide::AfterKey(const Matcher& m) {
    typed_.assign(m.ed_Nyuuryoku());
    rest_.clear();
    const std::string_view left = m.ed_Yomi();
    if (!probe_ || left.size() > reading_.size() || left == marker::kLineEnd) return;
    const std::size_t pos = reading_.size() - left.size();
    if (typed_.empty()) {
        // A unit begins here: the plan goes on, planned further ahead when it runs short.
        if (planned_ < end_ && pos + kPlanBytes / 2 > planned_) Plan(pos);
        BuildRest(pos, {});
        return;
    }
    // Within a unit the lists say which spellings the keys typed so far leave open.
    std::size_t next = 0;
    if (const std::string* entry = Choose(ListsOf(m), pos, next)) BuildRest(next, *entry);
}

bool RomajiGuide::Reaches(std::size_t pos) const {
    if (pos >= end_ || pos >= planned_) return true;  // the line end, or beyond the plan
    return pos >= base_ && steps_[pos - base_].feasible;
}

// Longest unit first, then the lists' order, which is the table's: the first entry that the
// matcher judges as typed and after which the line can still be finished.
const std::string* RomajiGuide::Choose(const Lists& lists, std::size_t pos,
                                       std::size_t& next) const {
    const std::string_view rest = std::string_view(reading_).substr(pos);
    for (int li = 0; li < 3; ++li) {
        const int width = 3 - li;
        // Where the matcher's unit of this width ends.
        const std::size_t unitEnd =
            pos + (width == 1 ? CharLength(rest, 0) : HeadLength(rest, width * 2));
        if (!Reaches(unitEnd)) continue;
        for (const auto& e : *lists[static_cast<std::size_t>(li)]) {
            if (Typeable(e) && JudgedAsTyped(probe_->Rules(), lists, e, width)) {
                next = unitEnd;
                return &e;
            }
        }
    }
    return nullptr;
}

// Plans every place of the window from from on, last place first, so that each choice
// knows whether the line can be finished after it.
void RomajiGuide::Plan(std::size_t from) {
    base_ = from;
    bounds_.clear();
    std::size_t p = from;
    const std::size_t limit = std::min(end_, from + kPlanBytes);
    while (p < limit) {
        bounds_.push_back(p);
        p += CharLength(reading_, p);
    }
    planned_ = std::min(p, end_);
    if (steps_.size() < planned_ - base_ + 1) steps_.resize(planned_ - base_ + 1);
    for (auto it = bounds_.rbegin(); it != bounds_.rend(); ++it) {
        Step& step = steps_[*it - base_];
        step.feasible = false;
        probe_->ResumeAt(*it);
        std::size_t next = 0;
        if (const std::string* entry = Choose(ListsOf(*probe_), *it, next)) {
            step.keys.assign(*entry);
            step.next = next;
            step.feasible = true;
        }
    }
}

void RomajiGuide::BuildRest(std::size_t from, std::string_view head) {
    rest_.assign(head);
    for (std::size_t p = from; p < end_ && p < planned_ && p >= base_;) {
        const Step& step = steps_[p - base_];
        if (!step.feasible) {
            rest_.clear();  // nothing typed from here finishes the line
            return;
        }
        rest_ += step.keys;
        p = step.next;
    }
}

}  // namespace kotopa
