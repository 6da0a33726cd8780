#include "play.h"

#include <gtest/gtest.h>

#include <deque>

#include "fake_random.h"
#include "printers.h"
#include "test_util.h"

using namespace kotopa;
using testutil::Sj;

namespace {

const std::string kLineEnd(marker::kLineEnd);

KeyTable Table() {
    KeyTable t;
    t.SetRows({{Sj("あ"), {"a"}}, {Sj("い"), {"i"}}, {Sj("か"), {"ka"}}});
    return t;
}

// Written forms "L0", "L1", ... with the reading あい (typed "ai").
ActLoad MakeAct(int pairs, const std::string& longLine = {}) {
    std::string text = "h1\r\nh2\r\nh3\r\nh4\r\nh5\r\n";
    for (int i = 0; i < pairs; ++i) {
        const std::string kanji =
            (i == 0 && !longLine.empty()) ? longLine : "L" + std::to_string(i);
        text += kanji + "\r\n" + Sj("あい") + "\r\n";
    }
    ActLoad load;
    load.refusal = load.script.Parse(text);
    load.headerRead = true;
    return load;
}

PlayOptions Options(EndCondition end, int32_t value = 60,
                    ProblemOrder order = ProblemOrder::Normal) {
    PlayOptions o;
    o.end = end;
    o.value = value;
    o.order = order;
    return o;
}

class PlayTest : public ::testing::Test {
protected:
    PlayTest() : table(Table()), session(table, random) {}
    // Every draw was scripted, and within the range the play asked for.
    void TearDown() override {
        EXPECT_EQ(random.unscripted, 0);
        EXPECT_EQ(random.outOfRange, 0);
    }

    void Load(int pairs) { session.LoadAct(MakeAct(pairs)); }

    void Start(const PlayOptions& o) {
        ASSERT_TRUE(session.StartPlay(o, now));
        RunCountdown();
    }

    // Thirty steps, each 101 ms after the one before.
    void RunCountdown() {
        for (int i = 0; i < 30; ++i) Advance(101);
        ASSERT_EQ(session.GameState(), PlayState::Typing);
    }

    TickOutcome Advance(uint32_t ms) {
        now += ms;
        return session.OnTick(now);
    }

    KeyOutcome Key(char k) { return session.OnKey(k, now); }

    KeyOutcome Type(std::string_view keys) {
        KeyOutcome last;
        for (char k : keys) last = Key(k);
        return last;
    }

    // Types the current line and presses Enter.
    KeyOutcome Line() {
        Type("ai");
        EXPECT_EQ(session.GameState(), PlayState::LineComplete);
        return Key(13);
    }

    // The written form of the current line, without the marker.
    std::string Current() const {
        const std::string_view k = session.View().ed_Kanji;
        return std::string(k.substr(0, k.size() - kLineEnd.size()));
    }

    std::vector<std::string> MemoTop(std::size_t n) const {
        const auto& m = session.Memo();
        return std::vector<std::string>(m.begin(),
                                        m.begin() + static_cast<long>(std::min(n, m.size())));
    }

    KeyTable table;
    testutil::FakeRandom random;
    PlaySession session;
    uint32_t now = 50000;
};

using Lines = std::vector<std::string>;

}  // namespace

TEST(PlayOptions, AGroupWithNoButtonSelectedPlaysAsItsDefault) {
    const PlayOptions o = PlayOptions::FromControls(std::nullopt, 3, std::nullopt);
    EXPECT_EQ(o.end, EndCondition::Eof);
    EXPECT_EQ(o.order, ProblemOrder::Normal);
    EXPECT_EQ(o.value, 5);
    const PlayOptions r =
        PlayOptions::FromControls(EndCondition::Lines, 1000, ProblemOrder::Random);
    EXPECT_EQ(r.end, EndCondition::Lines);
    EXPECT_EQ(r.order, ProblemOrder::Random);
    EXPECT_EQ(r.value, 999);
}

TEST(PlayRates, WholeSecondsAndHalvesToEven) {
    EXPECT_EQ(PerMinuteRate(45, 120), 22);  // 22.5
    EXPECT_EQ(PerMinuteRate(15, 120), 8);   // 7.5
    EXPECT_EQ(PerMinuteRate(3, 8), 22);
    EXPECT_EQ(PerMinuteRate(1, 8), 8);
    EXPECT_EQ(PerMinuteRate(1, 120), 0);  // 0.5
    EXPECT_EQ(PerMinuteRate(3, 120), 2);  // 1.5
    EXPECT_EQ(PerMinuteRate(100, 7), 857);
    EXPECT_EQ(PerMinuteRate(500, 0), 0);
}

TEST(PlayRates, LiveLabelTexts) {
    LiveLabels l = FormatLiveLabels(999, 40, 30, 2, 0, 999);
    EXPECT_EQ(l.lb_Mozi, "   30");
    EXPECT_EQ(l.Lb_Miss, "    2");
    EXPECT_EQ(l.lb_Keika, "00:00");
    EXPECT_EQ(l.lb_Daken, "   0");  // no whole second yet
    EXPECT_EQ(l.lb_Sokudo, "   0");
    EXPECT_EQ(l.lb_Mondai, "  1 / 999");
    l = FormatLiveLabels(120'999, 45, 15, 0, 999, 1000);
    EXPECT_EQ(l.lb_Keika, "02:00");
    EXPECT_EQ(l.lb_Daken, "  22");
    EXPECT_EQ(l.lb_Sokudo, "   8");
    EXPECT_EQ(l.lb_Mondai, "1000 / 1000");
    // Hours are dropped.
    EXPECT_EQ(FormatLiveLabels(3'661'000, 0, 0, 0, 0, 5).lb_Keika, "01:01");
    EXPECT_EQ(FormatMinSec(999), "16:39");
}

TEST_F(PlayTest, EndOfFileEndsAtTheTenthEnterAndCountsTheEnters) {
    Load(10);
    EXPECT_TRUE(session.StartEnabled());
    Start(Options(EndCondition::Eof));
    EXPECT_EQ(session.LineTotal(), 10);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(Current(), "L" + std::to_string(i));
        const KeyOutcome o = Line();
        EXPECT_FALSE(o.finished);
        EXPECT_TRUE(o.textsChanged && o.memoChanged);
        EXPECT_EQ(session.View().ed_Yomi, Sj("あい") + kLineEnd);
    }
    now += 4321;
    const KeyOutcome last = Line();
    EXPECT_TRUE(last.finished);
    EXPECT_FALSE(session.Running());
    const PlayFacts f = session.Facts();
    EXPECT_FALSE(f.Aborted);
    EXPECT_EQ(f.KeyCount, 30);  // 20 keys and 10 Enters
    EXPECT_EQ(f.CharCount, 30);
    EXPECT_EQ(f.MissCount, 0);
    EXPECT_EQ(f.TypeCount, 30);
    EXPECT_EQ(f.LineIndex, 10);
    EXPECT_EQ(f.StopTick, now);
    EXPECT_EQ(session.Queue(), (ProblemQueue{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    // A stray key afterwards does not end the play a second time.
    EXPECT_FALSE(Key(13).finished);
    EXPECT_FALSE(session.Stop(now));
}

TEST_F(PlayTest, MemoShowsUpcomingLinesAndTheEndMark) {
    Load(10);
    EXPECT_EQ(session.Memo(), (std::deque<std::string>{"h1", "h2", "h3"}));
    EXPECT_EQ(session.View().ed_Kanji, "h4");
    EXPECT_EQ(session.View().ed_Yomi, "h5");
    Start(Options(EndCondition::Eof));
    EXPECT_EQ(MemoTop(6), (Lines{"L2", "L1", "L0", "h1", "h2", "h3"}));
    for (int i = 0; i < 7; ++i) Line();
    EXPECT_EQ(Current(), "L7");
    EXPECT_EQ(MemoTop(3), (Lines{"L9", "L8", "L7"}));
    Line();  // the ninth line
    EXPECT_EQ(MemoTop(3), (Lines{"[ EOF ]", "L9", "L8"}));
    Line();  // the tenth line
    EXPECT_EQ(MemoTop(3), (Lines{"[ EOF ]", "[ EOF ]", "L9"}));
    EXPECT_EQ(session.Memo().size(), 3u + 3u + 9u);  // lines are only ever added
}

TEST_F(PlayTest, LongWrittenFormsAreShortenedOnWholeCharacters) {
    // 45 single bytes and then a double-byte character that would end at byte 47.
    const std::string longLine = std::string(45, 'x') + Sj("漢字");
    session.LoadAct(MakeAct(5, longLine));
    ASSERT_TRUE(session.StartPlay(Options(EndCondition::Eof), now));
    EXPECT_EQ(session.Memo()[2], std::string(45, 'x') + " ...");
    const std::string exact(46, 'y');
    session.LoadAct(MakeAct(5, exact));
    ASSERT_TRUE(session.StartPlay(Options(EndCondition::Eof), now));
    EXPECT_EQ(session.Memo()[2], exact);  // 46 bytes fit as they are
}

TEST_F(PlayTest, TheBoxesShowTheHeadOfALongLineAndTypingMovesItOn) {
    std::string text = "h1\r\nh2\r\nh3\r\nh4\r\nh5\r\n";
    const std::string kanji = std::string(511, 'k') + Sj("漢字");  // the 漢 would end at byte 513
    std::string yomi;
    for (int i = 0; i < 300; ++i) yomi += Sj(i % 2 ? "い" : "あ");
    text += kanji + "\r\n" + yomi + "\r\n";
    for (int i = 0; i < 4; ++i) text += "L\r\n" + Sj("あい") + "\r\n";
    ActLoad load;
    load.refusal = load.script.Parse(text);
    load.headerRead = true;
    session.LoadAct(std::move(load));
    Start(Options(EndCondition::Eof));
    EXPECT_EQ(session.View().ed_Kanji, std::string(511, 'k'));
    EXPECT_EQ(session.View().ed_Yomi, yomi.substr(0, PlaySession::kBoxBytes));
    Type("a");
    EXPECT_EQ(session.View().ed_Yomi, yomi.substr(2, PlaySession::kBoxBytes));
    for (int i = 0; i < 149; ++i) Type("ia");
    EXPECT_EQ(Key('i').textsChanged, true);
    EXPECT_EQ(session.GameState(), PlayState::LineComplete);
    EXPECT_EQ(session.View().ed_Yomi, kLineEnd);
}

TEST_F(PlayTest, CountdownStepsAreStrictlyOverOneHundredMilliseconds) {
    Load(5);
    ASSERT_TRUE(session.StartPlay(Options(EndCondition::Eof), now));
    EXPECT_EQ(session.GameState(), PlayState::Countdown);
    EXPECT_EQ(session.View().ed_Yomi, "123456789#*********#**********");
    EXPECT_EQ(session.View().ed_Kanji, "L0" + kLineEnd);
    EXPECT_EQ(session.Labels().lb_Mondai, "  1 /   5");
    EXPECT_FALSE(Advance(100).textsChanged);  // exactly 100 ms is not enough
    EXPECT_TRUE(Advance(1).textsChanged);
    EXPECT_EQ(session.View().ed_Yomi, "123456789#*********#*********");
    // Keys are neither judged nor counted during the countdown.
    EXPECT_FALSE(Type("ai\r").textsChanged);
    for (int step = 2; step <= 29; ++step) {
        Advance(50);
        EXPECT_TRUE(Advance(51).textsChanged);
        EXPECT_EQ(session.View().ed_Yomi.size(), 30u - static_cast<unsigned>(step));
    }
    EXPECT_EQ(session.View().ed_Yomi, "1");
    EXPECT_EQ(session.GameState(), PlayState::Countdown);
    Advance(101);
    EXPECT_EQ(session.GameState(), PlayState::Typing);
    EXPECT_EQ(session.StartTick(), now);  // the clock starts when typing starts
    EXPECT_EQ(session.View().ed_Yomi, Sj("あい") + kLineEnd);
    EXPECT_EQ(session.View().lst_1, (std::vector<std::string>{"a"}));
    const PlayFacts f = session.Facts();
    EXPECT_EQ(f.TypeCount + f.KeyCount + f.CharCount + f.MissCount, 0);
    EXPECT_EQ(session.View().ed_Nyuuryoku, "");
}

TEST_F(PlayTest, EscDuringTheCountdownStopsWithNothingCounted) {
    Load(5);
    ASSERT_TRUE(session.StartPlay(Options(EndCondition::Eof), now));
    Advance(500);
    Type("xa");
    now += 7;
    const KeyOutcome o = Key(27);
    EXPECT_TRUE(o.finished);
    const PlayFacts f = session.Facts();
    EXPECT_TRUE(f.Aborted);
    EXPECT_EQ(f.StopTick, now);
    EXPECT_EQ(f.TypeCount, 0);
    EXPECT_EQ(f.KeyCount, 0);
    EXPECT_EQ(f.CharCount, 0);
    EXPECT_EQ(f.MissCount, 0);
}

TEST_F(PlayTest, EscCountsOnceFromTypingAndFromTheLineEnd) {
    Load(5);
    Start(Options(EndCondition::Eof));
    Type("a");
    EXPECT_TRUE(Key(27).finished);
    PlayFacts f = session.Facts();
    EXPECT_TRUE(f.Aborted);
    EXPECT_EQ(f.TypeCount, 2);
    EXPECT_EQ(f.KeyCount, 1);

    ASSERT_TRUE(session.StartPlay(Options(EndCondition::Eof), now));
    RunCountdown();
    Type("ai");
    EXPECT_EQ(session.GameState(), PlayState::LineComplete);
    EXPECT_TRUE(Key(27).finished);
    f = session.Facts();
    EXPECT_TRUE(f.Aborted);
    EXPECT_EQ(f.TypeCount, 3);
    EXPECT_EQ(f.KeyCount, 2);
    EXPECT_EQ(f.MissCount, 0);
}

TEST_F(PlayTest, WrongKeysAtALineEndAreMistypesNotKeystrokes) {
    Load(5);
    Start(Options(EndCondition::Eof));
    EXPECT_TRUE(Key(13).mistype);  // Enter before the line is typed is judged, and misses
    Type("ai");
    const KeyOutcome o = Key('a');
    EXPECT_TRUE(o.mistype);
    EXPECT_FALSE(o.textsChanged);
    EXPECT_EQ(session.GameState(), PlayState::LineComplete);
    Key(8);
    const PlayFacts f = session.Facts();
    EXPECT_EQ(f.KeyCount, 2);
    EXPECT_EQ(f.MissCount, 3);
    EXPECT_EQ(f.TypeCount, 5);
    EXPECT_FALSE(Key(13).mistype);
    EXPECT_EQ(session.GameState(), PlayState::Typing);
    EXPECT_EQ(session.Facts().KeyCount, 3);
}

TEST_F(PlayTest, TheLastKeyOfALineDoesNotAlsoActAsItsEnter) {
    Load(5);
    Start(Options(EndCondition::Eof));
    Type("a");
    const KeyOutcome o = Key('i');
    EXPECT_TRUE(o.textsChanged);
    EXPECT_FALSE(o.finished);
    EXPECT_EQ(session.GameState(), PlayState::LineComplete);
    EXPECT_EQ(session.View().lst_2, (std::vector<std::string>{"Enter!", "^^^^^^"}));
    EXPECT_EQ(session.LineIndex(), 0);
}

TEST_F(PlayTest, SecondsModeGrowsTheLineTotalAndEndsOnTheClock) {
    Load(10);
    ASSERT_TRUE(session.StartPlay(Options(EndCondition::Seconds, 5), now));
    EXPECT_EQ(session.Labels().lb_Mondai, "  1 / 999");
    RunCountdown();
    const uint32_t start = session.StartTick();
    Line();
    EXPECT_EQ(session.Labels().lb_Mondai, "  1 / 999");  // labels follow on the next tick
    EXPECT_TRUE(Advance(1).labelsChanged);
    EXPECT_EQ(session.Labels().lb_Mondai, "  2 / 1000");
    EXPECT_EQ(session.Queue(), (ProblemQueue{1, 2, 3, 4, 5, 6, 7, 8, 9, 0}));
    EXPECT_EQ(session.PoolIndex(), 1);
    EXPECT_FALSE(Advance(0).labelsChanged);  // nothing new: no label changes

    Type("ai");  // the line-end prompt is showing when the time runs out
    now = start + 4999;
    EXPECT_FALSE(session.OnTick(now).finished);
    EXPECT_EQ(session.Labels().lb_Keika, "00:04");
    now = start + 5000;
    const TickOutcome t = session.OnTick(now);
    EXPECT_TRUE(t.finished);
    const PlayFacts f = session.Facts();
    EXPECT_FALSE(f.Aborted);
    EXPECT_EQ(f.StopTick, start + 5000);
    EXPECT_EQ(f.LineTotal, 1000);
    EXPECT_EQ(f.KeyCount, 5);
}

TEST_F(PlayTest, LinesModeEndsAfterItsCountAndWrapsThePoolInFileOrder) {
    Load(10);
    Start(Options(EndCondition::Lines, 5));
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(Line().finished);
    EXPECT_EQ(session.Labels().lb_Mondai, "  1 /   5");
    Advance(1);
    EXPECT_EQ(session.Labels().lb_Mondai, "  5 /   5");
    EXPECT_TRUE(Line().finished);
    EXPECT_EQ(session.Facts().KeyCount, 15);

    Load(10);
    Start(Options(EndCondition::Lines, 12));
    Lines played;
    KeyOutcome o;
    do {
        played.push_back(Current());
        // The memo's top shows the line after next, until fewer than three lines remain.
        if (session.LineIndex() <= 9) {
            EXPECT_EQ(session.Memo().front(), "L" + std::to_string((session.LineIndex() + 2) % 10));
        } else {
            EXPECT_EQ(session.Memo().front(), "[ EOF ]");
        }
        o = Line();
    } while (!o.finished);
    EXPECT_EQ(played,
              (Lines{"L0", "L1", "L2", "L3", "L4", "L5", "L6", "L7", "L8", "L9", "L0", "L1"}));
    EXPECT_EQ(session.Facts().LineIndex, 12);
    // Eleven refills took pool lines 0 to 9 and then 0 again.
    EXPECT_EQ(session.PoolIndex(), 1);
    EXPECT_EQ(session.Queue(), (ProblemQueue{1, 2, 3, 4, 5, 6, 7, 8, 9, 0}));
}

TEST_F(PlayTest, RandomOrderShufflesWithPairedSwapsAndRefillsAtRandom) {
    Load(5);
    // Five swaps of the positions (b, a) as drawn a then b.
    random.script = {0, 4, 1, 1, 3, 2, 2, 0, 4, 3};
    ASSERT_TRUE(session.StartPlay(Options(EndCondition::Lines, 8, ProblemOrder::Random), now));
    EXPECT_EQ(random.seeds, 1);
    ProblemQueue expected{0, 1, 2, 3, 4};
    for (auto [a, b] : {std::pair{0, 4}, {1, 1}, {3, 2}, {2, 0}, {4, 3}})
        std::swap(expected[b], expected[a]);
    EXPECT_EQ(session.Queue(), expected);
    EXPECT_EQ(Current(), "L" + std::to_string(expected[0]));
    EXPECT_EQ(session.Memo()[0], "L" + std::to_string(expected[2]));
    RunCountdown();

    random.script = {3};
    Line();
    ProblemQueue slid(expected.begin() + 1, expected.end());
    slid.push_back(3);
    EXPECT_EQ(session.Queue(), slid);
    EXPECT_EQ(session.PoolIndex(), 0);  // only the normal order walks the pool
    random.script = {3};                // the same pair may come again
    Line();
    EXPECT_EQ(session.Queue().back(), 3);
    EXPECT_TRUE(random.script.empty());
    // Every written form still has its own reading.
    for (int32_t pair : session.Queue()) {
        EXPECT_EQ(session.Act().Kanji(static_cast<std::size_t>(pair)), "L" + std::to_string(pair));
    }
}

TEST_F(PlayTest, PlayingAgainKeepsTheQueueThePlayLeft) {
    Load(10);
    Start(Options(EndCondition::Lines, 5));
    for (int i = 0; i < 5; ++i) Line();
    ASSERT_EQ(session.GameState(), PlayState::Finished);
    // The play ended on L4 without sliding past it: the next play starts there.
    EXPECT_EQ(session.Queue(), (ProblemQueue{4, 5, 6, 7, 8, 9, 0, 1, 2, 3}));
    EXPECT_EQ(session.PoolIndex(), 4);
    EXPECT_FALSE(session.StartEnabled());  // the start button stays off until the dialog closes
    ASSERT_TRUE(session.Replay(Options(EndCondition::Lines, 5), now));
    EXPECT_FALSE(session.Replay(Options(EndCondition::Lines, 5), now));  // not while one runs
    EXPECT_EQ(session.PoolIndex(), 0);
    EXPECT_EQ(Current(), "L4");
    RunCountdown();
    Line();
    EXPECT_EQ(session.Queue().back(), 0);  // refilled from the pool's start again

    // End of file in random order shuffles the same lines again.
    Load(5);
    random.script = {0, 1, 0, 1, 0, 1, 0, 1, 0, 1};
    Start(Options(EndCondition::Eof, 60, ProblemOrder::Random));
    EXPECT_EQ(session.Queue(), (ProblemQueue{1, 0, 2, 3, 4}));
    for (int i = 0; i < 5; ++i) Line();
    random.script = {4, 2, 2, 2, 2, 2, 2, 2, 2, 2};
    ASSERT_TRUE(session.StartPlay(Options(EndCondition::Eof, 60, ProblemOrder::Random), now));
    EXPECT_EQ(random.seeds, 2);
    EXPECT_EQ(session.Queue(), (ProblemQueue{1, 0, 4, 3, 2}));
    EXPECT_EQ(session.Facts().KeyCount, 0);
}

TEST_F(PlayTest, ATickCounterWrapDuringAPlayIsTimedRight) {
    Load(10);
    now = 0xFFFFFFFFu - 5000;  // typing starts just before the counter wraps
    Start(Options(EndCondition::Seconds, 5));
    const uint32_t start = session.StartTick();
    EXPECT_GT(start, 0xFFFFF000u);
    Line();
    now = start + 4000;  // past the wrap
    ASSERT_LT(now, start);
    EXPECT_FALSE(session.OnTick(now).finished);
    EXPECT_EQ(session.Labels().lb_Keika, "00:04");
    EXPECT_EQ(session.Labels().lb_Daken, "  45");  // 3 keystrokes in 4 s
    now = start + 5000;
    EXPECT_TRUE(session.OnTick(now).finished);
    EXPECT_EQ(session.Facts().StopTick - session.Facts().StartTick, 5000u);
}

TEST_F(PlayTest, IdleKeysTheEndButtonAndRefusedActs) {
    EXPECT_FALSE(Key(13).startRequested);  // nothing loaded
    EXPECT_FALSE(session.StartPlay(Options(EndCondition::Eof), now));
    Load(5);
    EXPECT_TRUE(Key(13).startRequested);
    EXPECT_FALSE(Key('a').startRequested);
    EXPECT_FALSE(session.Stop(now));

    Start(Options(EndCondition::Eof));
    EXPECT_FALSE(session.StartPlay(Options(EndCondition::Eof), now));  // one play at a time
    Line();
    now += 2000;
    EXPECT_TRUE(session.Stop(now));
    EXPECT_TRUE(session.Facts().Aborted);
    EXPECT_EQ(session.Facts().StopTick, now);
    EXPECT_FALSE(session.OnTick(now + 5000).labelsChanged);  // a finished play does not tick

    ActLoad refused = MakeAct(4);
    ASSERT_EQ(refused.refusal, ActRefusal::TooFewPairs);
    session.LoadAct(std::move(refused));
    EXPECT_EQ(session.GameState(), PlayState::Idle);
    EXPECT_FALSE(session.StartEnabled());
    EXPECT_FALSE(Key(13).startRequested);
    EXPECT_EQ(session.Memo(), (std::deque<std::string>{"h1", "h2", "h3"}));
    ActLoad missing;
    missing.refusal = ActRefusal::Missing;
    session.LoadAct(std::move(missing));
    EXPECT_TRUE(session.Memo().empty());
    EXPECT_EQ(session.View().ed_Kanji, "h4");  // a file never read leaves the boxes as they were
}

namespace {

TEST_F(PlayTest, TheRomajiGuideShowsWithTheReadingOnlyWhileItIsOn) {
    Load(5);
    PlayOptions o = Options(EndCondition::Eof);
    o.romajiGuide = true;
    ASSERT_TRUE(session.StartPlay(o, now));
    EXPECT_EQ(session.View().guideRest, "");  // behind the countdown bar
    RunCountdown();
    EXPECT_EQ(session.View().guideRest, "ai");
    Key('x');  // a mistype changes nothing
    Key('a');
    EXPECT_EQ(session.View().guideTyped, "");
    EXPECT_EQ(session.View().guideRest, "i");
    Type("i");
    EXPECT_EQ(session.View().guideRest, "");  // the line waits for Enter
    Key(13);
    EXPECT_EQ(session.View().guideRest, "ai");  // the next line
    session.Stop(now);

    session.LoadAct(MakeAct(5));
    EXPECT_EQ(session.View().guideRest, "");  // the header lines show
    Start(Options(EndCondition::Eof));
    EXPECT_EQ(session.View().guideRest, "");
    EXPECT_EQ(session.View().guideTyped, "");
}

}  // namespace
// The key record of a known play: a mistype with its kana and expected key, し typed as
// "si" and as "shi", a mistype halfway through a spelling, one at a line end, the Enters.
TEST(PlayKeyRecord, EveryJudgedKeyWithItsUnitsAndMistypes) {
    KeyTable table;
    table.SetRows({{Sj("し"), {"si", "shi"}}, {Sj("あ"), {"a"}}});
    testutil::FakeRandom random;
    PlaySession session(table, random);
    std::string text = "h1\r\nh2\r\nh3\r\nh4\r\nh5\r\n";
    text += "K1\r\n" + Sj("しあし") + "\r\n";
    for (int i = 0; i < 4; ++i) text += "K\r\n" + Sj("あ") + "\r\n";
    ActLoad load;
    load.refusal = load.script.Parse(text);
    load.headerRead = true;
    session.LoadAct(std::move(load));
    uint32_t now = 1000;
    ASSERT_TRUE(session.StartPlay(PlayOptions{}, now));
    while (session.GameState() == PlayState::Countdown) session.OnTick(now += 101);
    const uint32_t start = now;
    for (char k : std::string("xsiashqiz\ra\ra\ra\ra\r")) session.OnKey(k, now += 10);
    ASSERT_EQ(session.GameState(), PlayState::Finished);
    const KeyRecord& r = session.Record();

    using A = KeyAction;
    const std::vector<KeyEvent> events = {
        {10, 'x', A::Mistype, 0},   {20, 's', A::Keystroke, 0}, {30, 'i', A::Unit, 0},
        {40, 'a', A::Unit, 1},      {50, 's', A::Keystroke, 0}, {60, 'h', A::Keystroke, 0},
        {70, 'q', A::Mistype, 1},   {80, 'i', A::Unit, 2},      {90, 'z', A::Mistype, 2},
        {100, '\r', A::LineEnd, 0}, {110, 'a', A::Unit, 3},     {120, '\r', A::LineEnd, 0},
    };
    ASSERT_EQ(r.Events().size(), events.size() + 6);
    EXPECT_EQ(std::vector<KeyEvent>(r.Events().begin(), r.Events().begin() + 12), events);
    EXPECT_EQ(start, 1000u + 30 * 101);

    struct U {
        std::string item, keys;
        uint32_t headMs, firstKeyMs, ms;
    };
    const std::vector<U> units = {
        {Sj("し"), "si", 0, 10, 30},
        {Sj("あ"), "a", 30, 40, 40},
        {Sj("し"), "shi", 40, 50, 80},
        {Sj("あ"), "a", 100, 110, 110},
    };
    ASSERT_EQ(r.Units().size(), units.size() + 3);
    for (std::size_t i = 0; i < units.size(); ++i) {
        SCOPED_TRACE(i);
        const UnitEntry& u = r.Units()[i];
        EXPECT_EQ(r.Item(u), units[i].item);
        EXPECT_EQ(r.Keys(u), units[i].keys);
        EXPECT_EQ(u.headMs, units[i].headMs);
        EXPECT_EQ(u.firstKeyMs, units[i].firstKeyMs);
        EXPECT_EQ(u.ms, units[i].ms);
    }

    const std::vector<std::pair<std::string, std::string>> mistypes = {
        {Sj("し"), "s"}, {Sj("し"), "i"}, {kLineEnd, "\r"}};
    ASSERT_EQ(r.Mistypes().size(), mistypes.size());
    for (std::size_t i = 0; i < mistypes.size(); ++i) {
        EXPECT_EQ(r.Mistypes()[i].Head(), mistypes[i].first) << i;
        EXPECT_EQ(r.Mistypes()[i].Expected(), mistypes[i].second) << i;
    }

    // A new play starts an empty record that keeps its room.
    const std::size_t room = r.Capacity();
    ASSERT_TRUE(session.Replay(PlayOptions{}, now));
    EXPECT_TRUE(session.Record().Events().empty());
    EXPECT_GE(session.Record().Capacity(), room);
}
