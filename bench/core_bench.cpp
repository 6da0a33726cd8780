// Speed and memory of the core: one judged key with the refill of the lists, one key of a
// 10 MB reading line and one of a 100,000-row key table, a whole play driven key by key
// through the play session, a timer tick of a waiting play, loading a
// key file of 600 rows, and reading an Act of 100,000 pairs (time, and peak heap against
// the file's size); the key record: appending a key, recording a play with it, reading and
// analysing 150 plays, and its size after 150 plays of the delivered Acts.
//   build/bench/core_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "act.h"
#include "fake_random.h"
#include "guide.h"
#include "key_records.h"
#include "keyrecordfile.h"
#include "keytable.h"
#include "matcher.h"
#include "play.h"
#include "results.h"
#include "weakness.h"

namespace {

// Live and peak heap bytes, for the memory of reading an Act.
std::atomic<long long> g_live{0}, g_peak{0};

}  // namespace

void* operator new(std::size_t n) {
    void* p = std::malloc(n ? n : 1);
    if (!p) throw std::bad_alloc();
    const long long live = g_live += static_cast<long long>(malloc_usable_size(p));
    long long peak = g_peak.load();
    while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
    }
    return p;
}
void operator delete(void* p) noexcept {
    if (!p) return;
    g_live -= static_cast<long long>(malloc_usable_size(p));
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}

namespace {

namespace fs = std::filesystem;

struct Kana {
    std::string sjis;
    std::string romaji;
};

// The basic kana with one spelling each, Shift_JIS.
std::vector<Kana> BasicKana() {
    const char* romaji[] = {"a",  "i",  "u",  "e",  "o",  "ka", "ki", "ku", "ke", "ko", "sa", "si",
                            "su", "se", "so", "ta", "ti", "tu", "te", "to", "na", "ni", "nu", "ne",
                            "no", "ha", "hi", "hu", "he", "ho", "ma", "mi", "mu", "me", "mo", "ya",
                            "yu", "yo", "ra", "ri", "ru", "re", "ro", "wa", "wo", "nn"};
    const unsigned char codes[] = {0xA0, 0xA2, 0xA4, 0xA6, 0xA8, 0xA9, 0xAB, 0xAD, 0xAF, 0xB1,
                                   0xB3, 0xB5, 0xB7, 0xB9, 0xBB, 0xBD, 0xBF, 0xC2, 0xC4, 0xC6,
                                   0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xD0, 0xD3, 0xD6, 0xD9,
                                   0xDC, 0xDD, 0xDE, 0xDF, 0xE0, 0xE2, 0xE4, 0xE6, 0xE7, 0xE8,
                                   0xE9, 0xEA, 0xEB, 0xED, 0xF0, 0xF1};
    std::vector<Kana> kana;
    for (std::size_t i = 0; i < std::size(codes); ++i) {
        kana.push_back({std::string{'\x82', static_cast<char>(codes[i])}, romaji[i]});
    }
    return kana;
}

// A table of 600 rows shaped like a real one: single kana with several spellings, and
// two-kana groups.
kotopa::KeyTable Table600() {
    const auto kana = BasicKana();
    std::vector<kotopa::KeyRow> rows;
    for (const auto& k : kana) rows.push_back({k.sjis, {k.romaji, "x" + k.romaji, "l" + k.romaji}});
    for (std::size_t i = 0; rows.size() < 600; ++i) {
        const auto& a = kana[i % kana.size()];
        const auto& b = kana[(i * 7 + 3) % kana.size()];
        rows.push_back({a.sjis + b.sjis, {"q" + a.romaji + b.romaji}});
    }
    return kotopa::KeyTable(std::move(rows));
}

// A whole Act of readings made of the basic kana, and the keys that type it.
struct Play {
    std::vector<std::string> readings;
    std::vector<std::string> keys;
};

Play MakePlay(int lines) {
    const auto kana = BasicKana();
    std::mt19937 rng(42);
    Play p;
    for (int l = 0; l < lines; ++l) {
        std::string r, k;
        for (int c = 0; c < 30; ++c) {
            const auto& x = kana[rng() % (kana.size() - 1)];
            r += x.sjis;
            k += x.romaji;
        }
        p.readings.push_back(r);
        p.keys.push_back(k);
    }
    return p;
}

void BM_JudgeKey(benchmark::State& state) {
    const kotopa::KeyTable table = Table600();
    const Play play = MakePlay(20);
    kotopa::Matcher m(table);
    std::size_t line = 0, pos = 0;
    auto startLine = [&] {
        m.StartLine(play.readings[line], play.readings[line]);
        pos = 0;
    };
    startLine();
    for (auto _ : state) {
        char key = play.keys[line][pos++];
        const auto r = m.JudgeKey(key);
        benchmark::DoNotOptimize(r);
        if (r == kotopa::JudgeResult::LineComplete) {
            state.PauseTiming();
            line = (line + 1) % play.readings.size();
            startLine();
            state.ResumeTiming();
        }
    }
    if (m.Counts().MissCount != 0) state.SkipWithError("the play mistyped");
}
BENCHMARK(BM_JudgeKey);

// Types every reading with its keys, a fresh matcher a line, timing each judged key on its
// own; reports the median and the 99th percentile. False when a line mistyped.
bool TimeEachKey(benchmark::State& state, const kotopa::KeyTable& table,
                 const std::vector<std::string>& readings, const std::vector<std::string>& keys) {
    std::vector<double> ns;
    bool clean = true;
    for (auto _ : state) {
        ns.clear();
        for (std::size_t line = 0; line < readings.size(); ++line) {
            kotopa::Matcher m(table);
            m.StartLine({}, readings[line]);
            for (char k : keys[line]) {
                char key = k;
                const auto t0 = std::chrono::steady_clock::now();
                const auto r = m.JudgeKey(key);
                const auto t1 = std::chrono::steady_clock::now();
                benchmark::DoNotOptimize(r);
                ns.push_back(std::chrono::duration<double, std::nano>(t1 - t0).count());
            }
            clean = clean && m.Counts().MissCount == 0;
        }
    }
    std::sort(ns.begin(), ns.end());
    state.counters["keys"] = static_cast<double>(ns.size());
    state.counters["median_ns"] = ns.empty() ? 0 : ns[ns.size() / 2];
    state.counters["p99_ns"] = ns.empty() ? 0 : ns[ns.size() * 99 / 100];
    return clean;
}

// The same play with every key timed on its own: the median and the 99th percentile of one
// judged key, refills included.
void BM_JudgeKeyDistribution(benchmark::State& state) {
    const Play play = MakePlay(20);
    if (!TimeEachKey(state, Table600(), play.readings, play.keys))
        state.SkipWithError("the play mistyped");
}
BENCHMARK(BM_JudgeKeyDistribution)->Unit(benchmark::kMillisecond);

// Keys that type a reading: at every key, the next key of the first live candidate, the
// shortest unit first. The matcher itself says what is live, so the keys always match.
std::string KeysFor(const kotopa::KeyTable& table, std::string_view reading) {
    kotopa::Matcher m(table);
    m.StartLine({}, reading);
    std::string keys;
    const std::string ruledOut(kotopa::marker::kRuledOut);
    for (int guard = 0; guard < 10000; ++guard) {
        char next = 0;
        for (const auto* list : {&m.lst_1(), &m.lst_2(), &m.lst_3()}) {
            for (const auto& e : *list) {
                if (!next && e != ruledOut && !e.empty()) next = e.front();
            }
        }
        if (!next) return {};  // the table cannot type this reading
        keys += next;
        char key = next;
        if (m.JudgeKey(key) == kotopa::JudgeResult::LineComplete) return keys;
    }
    return {};
}

// Every reading of the delivered Acts typed key by key with the delivered key table, each key
// timed on its own.
void BM_JudgeKeyDeliveredData(benchmark::State& state) {
    const fs::path root = KOTOPA_SOURCE_DIR;
    kotopa::KeyTable table;
    table.LoadKeyFile(root / "data" / "key" / "mykey.key");
    std::vector<std::pair<std::string, std::string>> lines;  // reading, keys
    for (int n = 1; n <= 99; ++n) {
        const std::string name = (n < 10 ? "Act0" : "Act") + std::to_string(n) + ".ktp";
        const kotopa::ActLoad load = kotopa::ReadAct(root / "data" / "ktp" / name);
        if (load.refusal != kotopa::ActRefusal::None) break;
        for (std::size_t i = 0; i < load.script.PairCount(); ++i) {
            const std::string reading(load.script.Yomi(i));
            lines.emplace_back(reading, KeysFor(table, reading));
            if (lines.back().second.empty()) state.SkipWithError("a reading the table cannot type");
        }
    }
    if (table.Rows().empty() || lines.empty()) state.SkipWithError("no delivered data");
    std::vector<std::string> readings, keys;
    for (auto& [reading, k] : lines) {
        readings.push_back(reading);
        keys.push_back(k);
    }
    if (!TimeEachKey(state, table, readings, keys)) state.SkipWithError("the play mistyped");
    state.counters["rows"] = static_cast<double>(table.Rows().size());
}
BENCHMARK(BM_JudgeKeyDeliveredData)->Unit(benchmark::kMillisecond);

// Types a line key by key, one key per iteration, and starts it again (untimed) when it is
// done; a mistype ends the run with an error.
void TypeKeyPerIteration(benchmark::State& state, const kotopa::KeyTable& table,
                         const std::vector<std::string>& readings,
                         const std::vector<std::string>& keys) {
    kotopa::Matcher m(table);
    std::size_t line = 0, pos = 0;
    m.StartLine(readings[line], readings[line]);
    for (auto _ : state) {
        char key = keys[line][pos++];
        const auto r = m.JudgeKey(key);
        benchmark::DoNotOptimize(r);
        if (r == kotopa::JudgeResult::Mistype) {
            state.SkipWithError("the play mistyped");
            break;
        }
        if (r == kotopa::JudgeResult::LineComplete) {
            state.PauseTiming();
            line = (line + 1) % readings.size();
            pos = 0;
            m.StartLine(readings[line], readings[line]);
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations());
}

// One key of a single reading line of 10 MB: a key must cost the same at the start of the
// longest line as anywhere in a short one.
void BM_JudgeKeyLongLine(benchmark::State& state) {
    static const Play play = [] {
        const auto kana = BasicKana();
        std::mt19937 rng(3);
        Play p;
        std::string r, k;
        r.reserve(10'000'000);
        while (r.size() < 10'000'000) {
            const auto& x = kana[rng() % (kana.size() - 1)];
            r += x.sjis;
            k += x.romaji;
        }
        p.readings.push_back(std::move(r));
        p.keys.push_back(std::move(k));
        return p;
    }();
    TypeKeyPerIteration(state, Table600(), play.readings, play.keys);
    state.counters["line_MB"] = static_cast<double>(play.readings[0].size()) / 1e6;
}
BENCHMARK(BM_JudgeKeyLongLine)->Unit(benchmark::kMicrosecond);

// A table of 100,000 rows: the basic kana, then every group of two and of three basic kana
// (typed with a "q" spelling no line uses), the last few groups twice.
kotopa::KeyTable Table100k() {
    const auto kana = BasicKana();
    std::vector<kotopa::KeyRow> rows;
    rows.reserve(100000);
    for (const auto& k : kana) rows.push_back({k.sjis, {k.romaji, "x" + k.romaji}});
    for (const auto& a : kana) {
        for (const auto& b : kana) rows.push_back({a.sjis + b.sjis, {"q" + a.romaji + b.romaji}});
    }
    for (std::size_t i = 0; rows.size() < 100000; ++i) {
        const auto& a = kana[i / (kana.size() * kana.size()) % kana.size()];
        const auto& b = kana[(i / kana.size()) % kana.size()];
        const auto& c = kana[i % kana.size()];
        rows.push_back({a.sjis + b.sjis + c.sjis, {"q" + a.romaji + b.romaji + c.romaji}});
    }
    return kotopa::KeyTable(std::move(rows));
}

// One key of a play typed with a table of 100,000 rows: a key must cost the same whatever
// the size of the table.
void BM_JudgeKeyLargeTable(benchmark::State& state) {
    const long long before = g_live.load();
    const kotopa::KeyTable table = Table100k();
    const double heapMB = static_cast<double>(g_live.load() - before) / 1e6;
    const Play play = MakePlay(20);
    TypeKeyPerIteration(state, table, play.readings, play.keys);
    state.counters["rows"] = static_cast<double>(table.Rows().size());
    state.counters["table_heap_MB"] = heapMB;  // rows and index together
}
BENCHMARK(BM_JudgeKeyLargeTable)->Unit(benchmark::kMicrosecond);

// "保存" of a table of 100,000 rows over key/mykey.key holding the same table: the whole
// store, from the read of the old file to its atomic replacement. The window waits for it.
void BM_StoreKeyTable100k(benchmark::State& state) {
    kotopa::KeyTable table = Table100k();
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("kotopa_store_bench_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const auto path = dir / "mykey.key";
    if (!table.StoreKeyTable(path)) state.SkipWithError("cannot write the key file");
    for (auto _ : state) {
        if (!table.StoreKeyTable(path)) state.SkipWithError("cannot write the key file");
    }
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_StoreKeyTable100k)->Unit(benchmark::kMillisecond);

// The romaji guide typed through every reading, each key as the guide shows it: the guide's
// work after each judged key (AfterKey) timed on its own, and its plan of a whole line when
// the line starts (StartLine) apart. False when the guide led to a mistype or ran out.
bool TimeGuide(benchmark::State& state, const kotopa::KeyTable& table,
               const std::vector<std::string>& readings) {
    std::vector<double> after, start;
    bool clean = true;
    for (auto _ : state) {
        after.clear();
        start.clear();
        for (const std::string& reading : readings) {
            kotopa::Matcher m(table);
            kotopa::RomajiGuide g;
            m.StartLine({}, reading);
            const auto s0 = std::chrono::steady_clock::now();
            g.StartLine(m);
            const auto s1 = std::chrono::steady_clock::now();
            start.push_back(std::chrono::duration<double, std::nano>(s1 - s0).count());
            for (;;) {
                if (g.Rest().empty()) {
                    clean = false;
                    break;
                }
                char key = g.Rest().front();
                const auto r = m.JudgeKey(key);
                const auto t0 = std::chrono::steady_clock::now();
                g.AfterKey(m);
                const auto t1 = std::chrono::steady_clock::now();
                benchmark::DoNotOptimize(g.Rest().data());
                after.push_back(std::chrono::duration<double, std::nano>(t1 - t0).count());
                if (r == kotopa::JudgeResult::Mistype) clean = false;
                if (r != kotopa::JudgeResult::KeyShown && r != kotopa::JudgeResult::UnitCompleted)
                    break;
            }
        }
    }
    std::sort(after.begin(), after.end());
    std::sort(start.begin(), start.end());
    if (after.empty() || start.empty()) return false;
    state.counters["keys"] = static_cast<double>(after.size());
    state.counters["after_key_median_ns"] = after[after.size() / 2];
    state.counters["after_key_p99_ns"] = after[after.size() * 99 / 100];
    state.counters["after_key_max_ns"] = after.back();
    state.counters["line_start_median_ns"] = start[start.size() / 2];
    state.counters["line_start_max_ns"] = start.back();
    return clean;
}

// Every reading of the twelve delivered Acts with the delivered key table.
void BM_GuideAfterKeyDeliveredData(benchmark::State& state) {
    const fs::path root = KOTOPA_SOURCE_DIR;
    kotopa::KeyTable table;
    table.LoadKeyFile(root / "data" / "key" / "mykey.key");
    std::vector<std::string> readings;
    for (int n = 1; n <= 12; ++n) {
        const std::string name = (n < 10 ? "Act0" : "Act") + std::to_string(n) + ".ktp";
        const kotopa::ActLoad load = kotopa::ReadAct(root / "data" / "ktp" / name);
        for (std::size_t i = 0; i < load.script.PairCount(); ++i)
            readings.emplace_back(load.script.Yomi(i));
    }
    if (table.Rows().empty() || readings.empty()) state.SkipWithError("no delivered data");
    if (!TimeGuide(state, table, readings)) state.SkipWithError("the guide did not type through");
    state.counters["rows"] = static_cast<double>(table.Rows().size());
}
BENCHMARK(BM_GuideAfterKeyDeliveredData)->Unit(benchmark::kMillisecond);

// The same with a table of 600 rows and of 100,000 rows: the guide's cost per key must not
// grow with the table.
void BM_GuideAfterKeyTableSize(benchmark::State& state) {
    static const kotopa::KeyTable small = Table600();
    static const kotopa::KeyTable large = Table100k();
    const kotopa::KeyTable& table = state.range(0) == 0 ? small : large;
    const Play play = MakePlay(20);
    if (!TimeGuide(state, table, play.readings))
        state.SkipWithError("the guide did not type through");
    state.counters["rows"] = static_cast<double>(table.Rows().size());
}
BENCHMARK(BM_GuideAfterKeyTableSize)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// An Act of the given lines: the reading doubles as the written form.
kotopa::ActLoad MakeActLoad(const Play& play) {
    std::string text = "h1\r\nh2\r\nh3\r\nh4\r\nh5\r\n";
    for (const auto& r : play.readings) text += r + "\r\n" + r + "\r\n";
    kotopa::ActLoad load;
    load.refusal = load.script.Parse(std::move(text));
    load.headerRead = true;
    return load;
}

// One key of a play and the timer tick after it, as the main window sees them: the whole
// Act typed line by line with Enter at every line end, then played again.
void BM_PlaySessionKey(benchmark::State& state) {
    const kotopa::KeyTable table = Table600();
    const Play play = MakePlay(20);
    testutil::FakeRandom random;  // the normal order draws nothing
    kotopa::PlaySession session(table, random);
    session.LoadAct(MakeActLoad(play));
    uint32_t now = 0;
    std::size_t line = 0, pos = 0;
    auto start = [&] {
        if (!session.StartPlay(kotopa::PlayOptions{}, now)) state.SkipWithError("cannot start");
        while (session.GameState() == kotopa::PlayState::Countdown) session.OnTick(now += 101);
        line = pos = 0;
    };
    start();
    for (auto _ : state) {
        const std::string& keys = play.keys[line];
        const char key = pos < keys.size() ? keys[pos] : '\r';
        ++pos;
        now += 37;
        const kotopa::KeyOutcome k = session.OnKey(key, now);
        const kotopa::TickOutcome t = session.OnTick(now);
        benchmark::DoNotOptimize(t);
        if (key == '\r') ++line, pos = 0;
        if (k.finished) {
            state.PauseTiming();
            if (session.Facts().MissCount != 0) state.SkipWithError("the play mistyped");
            start();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_PlaySessionKey);

// Appending one judged key to a play's key record: keystrokes, now and then a completed
// unit or a mistype, in the room a play reserves at its start.
void BM_KeyRecordAppend(benchmark::State& state) {
    kotopa::KeyRecord record;
    constexpr std::size_t kKeys = 1 << 16;
    record.Reserve(kKeys);
    const std::string item = "\x82\xB5";  // し
    uint32_t ms = 0;
    std::size_t n = 0;
    for (auto _ : state) {
        ms += 37;
        switch (n % 8) {
            case 1:
            case 4:
            case 6:
                record.Unit(ms, 'i', item);
                break;
            case 7:
                record.Mistype(ms, 'q', item, "s");
                break;
            default:
                record.Keystroke(ms, 's');
        }
        if (++n == kKeys) {
            state.PauseTiming();
            record.Clear();
            n = 0;
            state.ResumeTiming();
        }
    }
    benchmark::DoNotOptimize(record.Events().data());
}
BENCHMARK(BM_KeyRecordAppend);

// Recording plays of 2,000 keys each: the play's block, the key record with it, and the
// five files written as one group. The file holds 149 such plays at first; then each play
// drops the oldest of 150. The book has read the file before (Kept: the main window
// between plays) or not (First: the first play after start-up, when every block is read
// through). Without: the four other files alone, the play's cost without its key record.
enum class KeyRecordBook { Kept, First, Without };

void RecordPlaysWithKeyRecord(benchmark::State& state, KeyRecordBook mode) {
    const fs::path base = fs::temp_directory_path() / "kotopa-bench-record";
    fs::remove_all(base);
    fs::create_directories(base / "save");
    const kotopa::RecordFiles files = kotopa::RecordFiles::For(base, base / "ktp" / "Act01.ktp");
    const std::string old = benchkeys::SyntheticFile(149, 2000);
    { std::ofstream(files.keyRecord, std::ios::binary) << old; }
    const kotopa::KeyRecord play = benchkeys::SyntheticRecord(2000, 999);
    kotopa::RecordBook book;
    kotopa::ResultInput in;
    in.play.StopTick = 60000;
    in.play.KeyCount = in.play.TypeCount = 2000;
    in.actPath = base / "ktp" / "Act01.ktp";
    in.findFile = [](const fs::path&) { return fs::path(); };
    if (mode == KeyRecordBook::Kept) book.KeepKeyRecord(kotopa::IndexKeyRecordFile(old));
    for (auto _ : state) {
        state.PauseTiming();
        if (mode == KeyRecordBook::First) {
            book = kotopa::RecordBook{};
            std::ofstream(files.keyRecord, std::ios::binary) << old;
        }
        kotopa::PlayResult result = kotopa::ComputeResult(in);
        state.ResumeTiming();
        const std::string block =
            mode == KeyRecordBook::Without
                ? std::string()
                : kotopa::KeyRecordBlock("20240102000000", 60000, "Act01", play);
        const kotopa::RecordOutcome o =
            kotopa::RecordPlay(files, book, result, kotopa::LocalTime{}, block);
        if (!o.recorded) state.SkipWithError("not recorded");
    }
    state.counters["file_bytes"] = static_cast<double>(fs::file_size(files.keyRecord));
    fs::remove_all(base);
}

void BM_RecordPlayWithKeyRecord(benchmark::State& state) {
    RecordPlaysWithKeyRecord(state, KeyRecordBook::Kept);
}
BENCHMARK(BM_RecordPlayWithKeyRecord)->Unit(benchmark::kMillisecond);

void BM_RecordFirstPlayWithKeyRecord(benchmark::State& state) {
    RecordPlaysWithKeyRecord(state, KeyRecordBook::First);
}
BENCHMARK(BM_RecordFirstPlayWithKeyRecord)->Unit(benchmark::kMillisecond);

void BM_RecordPlayWithoutKeyRecord(benchmark::State& state) {
    RecordPlaysWithKeyRecord(state, KeyRecordBook::Without);
}
BENCHMARK(BM_RecordPlayWithoutKeyRecord)->Unit(benchmark::kMillisecond);

// The analysis of a full key record: 150 plays of 1,000 keys each.
void BM_AnalyseWeakness150(benchmark::State& state) {
    std::vector<kotopa::PlayKeys> plays(150);
    for (unsigned i = 0; i < plays.size(); ++i) {
        plays[i].stamp = "20240101000000";
        plays[i].elapsedMs = 60000;
        plays[i].actName = "Act01";
        plays[i].record = benchkeys::SyntheticRecord(1000, i);
    }
    for (auto _ : state) benchmark::DoNotOptimize(kotopa::AnalyseWeakness(plays));
}
BENCHMARK(BM_AnalyseWeakness150)->Unit(benchmark::kMillisecond);

// Reading the key record file of 150 plays of 1,000 keys each, as the window does.
void BM_ReadKeyRecord150(benchmark::State& state) {
    const std::string bytes = benchkeys::SyntheticFile(150, 1000);
    for (auto _ : state) benchmark::DoNotOptimize(kotopa::ParseKeyRecordFile(bytes));
    state.counters["file_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_ReadKeyRecord150)->Unit(benchmark::kMillisecond);

// The size of the key record after 150 recorded plays of the delivered Acts, Act01 to Act12
// in turn, each typed whole through the play session with the delivered key table as its
// guide leads, a key every 80 to 400 ms; with none (0) or one key in twenty (1) first
// mistyped with "@".
void BM_KeyRecordOfDeliveredPlays(benchmark::State& state) {
    const fs::path root = KOTOPA_SOURCE_DIR;
    kotopa::KeyTable table;
    table.LoadKeyFile(root / "data" / "key" / "mykey.key");
    if (table.Rows().empty()) {
        state.SkipWithError("no delivered key table");
        return;
    }
    const bool mistypes = state.range(0) != 0;
    testutil::FakeRandom random;
    kotopa::PlaySession session(table, random);
    kotopa::PlayOptions options;
    options.romajiGuide = true;
    std::mt19937 rng(7);
    double keys = 0, missed = 0;
    kotopa::KeyRecordBytes file;
    for (auto _ : state) {
        file = {};
        keys = missed = 0;
        for (int n = 0; n < 150; ++n) {
            const int act = n % 12 + 1;
            const std::string name = (act < 10 ? "Act0" : "Act") + std::to_string(act);
            session.LoadAct(kotopa::ReadAct(root / "data" / "ktp" / (name + ".ktp")));
            uint32_t now = 1000;
            if (!session.StartPlay(options, now)) {
                state.SkipWithError("a delivered Act does not start");
                return;
            }
            while (session.GameState() == kotopa::PlayState::Countdown) session.OnTick(now += 101);
            bool finished = false;
            for (int guard = 0; !finished && guard < 1'000'000; ++guard) {
                const std::string_view rest = session.View().guideRest;
                if (mistypes && rng() % 20 == 0) {
                    missed += session.OnKey('@', now += 80 + rng() % 320).mistype;
                }
                finished =
                    session.OnKey(rest.empty() ? '\r' : rest.front(), now += 80 + rng() % 320)
                        .finished;
                if (!finished) finished = session.OnTick(now).finished;
            }
            if (!finished || (!mistypes && session.Facts().MissCount != 0)) {
                state.SkipWithError("a delivered Act was not typed through");
                return;
            }
            keys += static_cast<double>(session.Record().Events().size());
            const std::string block = kotopa::KeyRecordBlock(
                kotopa::KeyRecordStamp(2024, 1, 1 + n / 24, n % 24, 0, 0),
                session.StopTick() - session.StartTick(), name, session.Record());
            file = kotopa::KeyRecordBytesWith(file, block);
        }
    }
    const kotopa::KeyRecordFile read = kotopa::ParseKeyRecordFile(file.bytes);
    if (read.plays.size() != 150 || read.unreadable != 0) state.SkipWithError("not 150 plays");
    state.counters["file_bytes"] = static_cast<double>(file.bytes.size());
    state.counters["keys_per_play"] = keys / 150;
    state.counters["bytes_per_key"] = static_cast<double>(file.bytes.size()) / keys;
    state.counters["mistypes"] = missed;
}
BENCHMARK(BM_KeyRecordOfDeliveredPlays)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond);

// A play left waiting: the 1 ms timer ticks and nothing visible changes.
void BM_PlayTickWaiting(benchmark::State& state) {
    const kotopa::KeyTable table = Table600();
    const Play play = MakePlay(20);
    testutil::FakeRandom random;  // the normal order draws nothing
    kotopa::PlaySession session(table, random);
    session.LoadAct(MakeActLoad(play));
    uint32_t now = 0;
    session.StartPlay(kotopa::PlayOptions{}, now);
    while (session.GameState() == kotopa::PlayState::Countdown) session.OnTick(now += 101);
    for (auto _ : state) {
        ++now;  // the labels change once a second
        benchmark::DoNotOptimize(session.OnTick(now));
    }
}
BENCHMARK(BM_PlayTickWaiting);

fs::path TempFile(const std::string& name) {
    return fs::temp_directory_path() / ("kotopa-bench-" + name);
}

void BM_LoadKeyFile600(benchmark::State& state) {
    kotopa::KeyTable table = Table600();
    const fs::path path = TempFile("600.key");
    fs::remove(path);
    if (!table.StoreKeyTable(path)) state.SkipWithError("cannot write the key file");
    for (auto _ : state) {
        kotopa::KeyTable t;
        t.LoadKeyFile(path);
        benchmark::DoNotOptimize(t.Rows().data());
    }
    fs::remove(path);
}
BENCHMARK(BM_LoadKeyFile600)->Unit(benchmark::kMillisecond);

void BM_StoreKeyFile600(benchmark::State& state) {
    kotopa::KeyTable table = Table600();
    const fs::path path = TempFile("store.key");
    for (auto _ : state) {
        if (!table.StoreKeyTable(path)) state.SkipWithError("cannot write the key file");
    }
    fs::remove(path);
}
BENCHMARK(BM_StoreKeyFile600)->Unit(benchmark::kMillisecond);

void BM_ReadAct100k(benchmark::State& state) {
    const fs::path path = TempFile("100k.ktp");
    {
        const Play play = MakePlay(1000);
        std::ofstream out(path, std::ios::binary);
        for (int i = 0; i < 5; ++i) out << "header\r\n";
        for (int i = 0; i < 100000; ++i) {
            const std::string& r =
                play.readings[static_cast<std::size_t>(i) % play.readings.size()];
            out << r.substr(0, 40) << "\r\n" << r << "\r\n";  // written form, then reading
        }
    }
    const auto fileSize = static_cast<double>(fs::file_size(path));
    double peakRatio = 0;
    for (auto _ : state) {
        const long long before = g_live.load();
        g_peak = before;
        const kotopa::ActLoad load = kotopa::ReadAct(path);
        peakRatio = static_cast<double>(g_peak.load() - before) / fileSize;
        if (load.refusal != kotopa::ActRefusal::None || load.script.PairCount() != 100000) {
            state.SkipWithError("the Act was refused");
        }
    }
    state.counters["peak_heap_per_file_byte"] = peakRatio;
    state.counters["file_MB"] = fileSize / 1e6;
    fs::remove(path);
}
BENCHMARK(BM_ReadAct100k)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
