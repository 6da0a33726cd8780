// The play session under any key table, any Act and any sequence of keys, timer ticks,
// end-button presses and new plays, in every mode: the counters always add up, the queue
// stays a set of pairs of the Act and the boxes show the line being typed. The input is a
// key file, a NUL, the readings of the Act one per line (LF), a NUL, then two bytes that
// choose the options and the events: each byte a key (below 0x80), a tick of up to 127 ms
// later (0x80 and above), or with 0xFF the end button. The same bytes script the random draws.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fake_random.h"
#include "fuzz_check.h"
#include "play.h"

namespace {

// An Act of at least five pairs from the readings: each reading is typed under the written
// form "K" + the reading, so that spaces in both drop words in step. An empty reading
// becomes あ; line ends inside a reading are taken out.
kotopa::ActLoad ActOf(std::string_view readings) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= readings.size() && lines.size() < 20) {
        const std::size_t end = std::min(readings.find('\n', start), readings.size());
        std::string r(readings.substr(start, end - start));
        std::erase(r, '\r');
        lines.push_back(r.empty() ? std::string("\x82\xA0") : r);
        start = end + 1;
    }
    for (std::size_t i = 0; lines.size() < 5; ++i) lines.push_back(lines[i]);
    std::string text = "h1\nh2\nh3\nh4\nh5\n";
    for (const auto& r : lines) text += "K" + r + "\n" + r + "\n";
    kotopa::ActLoad load;
    load.refusal = load.script.Parse(std::move(text));
    load.headerRead = true;
    FUZZ_CHECK(load.refusal == kotopa::ActRefusal::None && load.script.PairCount() == lines.size());
    return load;
}

bool EndsWith(std::string_view s, std::string_view end) {
    return s.size() >= end.size() && s.substr(s.size() - end.size()) == end;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    const std::size_t a = in.find('\0');
    if (a == std::string_view::npos) return 0;
    const std::size_t b = in.find('\0', a + 1);
    if (b == std::string_view::npos || size - b - 1 < 2) return 0;
    kotopa::KeyTable table;
    table.LoadKeyBytes(in.substr(0, a));
    const uint8_t* events = data + b + 1;
    const std::size_t eventCount = size - b - 1;

    // Draws taken from the input itself, so that a failing input replays exactly.
    testutil::FakeRandom random;
    random.script.assign(events, events + eventCount);
    kotopa::PlaySession s(table, random);
    s.LoadAct(ActOf(in.substr(a + 1, b - a - 1)));
    const std::size_t pairs = s.Act().PairCount();

    kotopa::PlayOptions o;
    o.end = static_cast<kotopa::EndCondition>(events[0] % 3);
    o.order = (events[0] & 4) ? kotopa::ProblemOrder::Random : kotopa::ProblemOrder::Normal;
    o.value = events[1];         // the session brings it into 5 to 999
    uint32_t now = 0xFFFF0000u;  // so that long inputs cross the counter's wrap
    FUZZ_CHECK(s.StartPlay(o, now));

    for (std::size_t i = 2; i < eventCount; ++i) {
        const uint8_t e = events[i];
        bool finished = false;
        if (e == 0xFF) {
            finished = s.Stop(now);
        } else if (e & 0x80) {
            now += e & 0x7F;
            finished = s.OnTick(now).finished;
        } else {
            finished = s.OnKey(static_cast<char>(e), now).finished;
        }
        const kotopa::PlayFacts f = s.Facts();
        // Every counted key is a keystroke, a mistype, or the Esc that stopped the play.
        const int32_t rest = f.TypeCount - f.KeyCount - f.MissCount;
        FUZZ_CHECK(rest == 0 || (rest == 1 && f.Aborted));
        FUZZ_CHECK(f.KeyCount >= 0 && f.CharCount >= 0 && f.MissCount >= 0);
        FUZZ_CHECK(f.LineIndex >= 0 && f.LineIndex <= f.LineTotal);
        FUZZ_CHECK(s.Queue().size() == pairs);
        for (const int32_t p : s.Queue()) FUZZ_CHECK(p >= 0 && static_cast<std::size_t>(p) < pairs);
        if (f.options.end == kotopa::EndCondition::Eof) {
            kotopa::ProblemQueue sorted = s.Queue();
            std::sort(sorted.begin(), sorted.end());
            for (std::size_t k = 0; k < pairs; ++k) {
                FUZZ_CHECK(sorted[k] == static_cast<int32_t>(k));
            }
        }
        const kotopa::PlayView v = s.View();
        FUZZ_CHECK(v.ed_Nyuuryoku.size() <= kotopa::Matcher::kInputLimit);
        FUZZ_CHECK(v.ed_Yomi.size() <= kotopa::PlaySession::kBoxBytes);
        if (s.GameState() == kotopa::PlayState::Typing) {
            // The rest of the reading and its marker, or the head of a longer rest.
            FUZZ_CHECK(EndsWith(v.ed_Yomi, kotopa::marker::kLineEnd) ||
                       v.ed_Yomi.size() + 1 >= kotopa::PlaySession::kBoxBytes);
        }
        if (s.GameState() == kotopa::PlayState::LineComplete) {
            FUZZ_CHECK(v.ed_Yomi == kotopa::marker::kLineEnd && v.ed_Nyuuryoku.empty());
            FUZZ_CHECK(v.lst_2.size() == 2 && v.lst_2[0] == kotopa::marker::kPromptEnter);
        }
        if (finished) {
            FUZZ_CHECK(s.GameState() == kotopa::PlayState::Finished && !s.Running());
            // Play again on the queue the play left, as the result dialog's choice 2 does.
            FUZZ_CHECK(s.Replay(o, now));
        }
    }
    return 0;
}
