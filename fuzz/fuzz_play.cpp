// The play session under any sequence of keys, timer ticks, end-button presses and new
// plays, in every mode: the counters always add up and the queue stays a set of pairs of
// the Act. The first two bytes choose the options; each further byte is a key (below
// 0x80), a tick of up to 127 ms later (0x80 and above), or with 0xFF the end button.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "fake_random.h"
#include "fuzz_check.h"
#include "play.h"

namespace {

kotopa::KeyTable Table() {
    kotopa::KeyTable t;
    t.SetRows({{"\x82\xA0", {"a"}},
              {"\x82\xA2", {"i"}},
              {"\x82\xA9", {"ka", "ca"}},
              {"\x82\xA9\x82\xA0", {"kaa"}},
              {"\x81\x41", {","}}});  // あ い か かあ 、
    return t;
}

kotopa::ActLoad Act() {
    // Seven pairs; the last reading holds a character no key types (漢).
    std::string text = "h1\nh2\nh3\nh4\nh5\n";
    const char* readings[] = {
        "\x82\xA0\x82\xA2", "\x82\xA9\x82\xA0",         "\x82\xA0\x81\x41\x82\xA2",
        "\x82\xA9",         "\x82\xA2\x82\xA2\x82\xA2", "\x82\xA0",
        "\x8A\xBF"};
    int i = 0;
    for (const char* r : readings) text += "K" + std::to_string(i++) + "\n" + r + "\n";
    kotopa::ActLoad load;
    load.refusal = load.script.Parse(text);
    load.headerRead = true;
    return load;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    static const kotopa::KeyTable table = Table();
    // Draws taken from the input itself, so that a failing input replays exactly.
    testutil::FakeRandom random;
    random.script.assign(data, data + size);
    kotopa::PlaySession s(table, random);
    s.LoadAct(Act());
    const std::size_t pairs = s.Act().PairCount();
    FUZZ_CHECK(pairs == 7);

    kotopa::PlayOptions o;
    o.end = static_cast<kotopa::EndCondition>(data[0] % 3);
    o.order = (data[0] & 4) ? kotopa::ProblemOrder::Random : kotopa::ProblemOrder::Normal;
    o.value = data[1];           // the session brings it into 5 to 999
    uint32_t now = 0xFFFF0000u;  // so that long inputs cross the counter's wrap
    FUZZ_CHECK(s.StartPlay(o, now));

    for (std::size_t i = 2; i < size; ++i) {
        const uint8_t b = data[i];
        bool finished = false;
        if (b == 0xFF) {
            finished = s.Stop(now);
        } else if (b & 0x80) {
            now += b & 0x7F;
            finished = s.OnTick(now).finished;
        } else {
            finished = s.OnKey(static_cast<char>(b), now).finished;
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
            for (std::size_t k = 0; k < pairs; ++k)
                FUZZ_CHECK(sorted[k] == static_cast<int32_t>(k));
        }
        if (s.GameState() == kotopa::PlayState::Typing) {
            const std::string_view yomi = s.View().ed_Yomi;
            FUZZ_CHECK(yomi.size() >= 2 &&
                       yomi.compare(yomi.size() - 2, 2, kotopa::marker::kLineEnd) == 0);
        }
        if (finished) {
            FUZZ_CHECK(s.GameState() == kotopa::PlayState::Finished && !s.Running());
            // Play again on the queue the play left, as the result dialog's choice 2 does.
            FUZZ_CHECK(s.Replay(o, now));
        }
    }
    return 0;
}
