// Speed of kotopa-tool: "check" of an Act whose one reading is very long, typeable as a
// whole or with an untypable character in every eighth place, with the delivered key table
// (the time should grow with the reading's length, no faster), and "make" of an Act from
// 100 KB of text: the written forms of the delivered Acts, over and over.
//   build/bench/tool_bench
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "act.h"
#include "actcheck.h"
#include "actmake.h"
#include "key_records.h"
#include "keytable.h"
#include "morph.h"
#include "practicewords.h"
#include "sjis.h"
#include "textfile.h"

namespace {

namespace fs = std::filesystem;

const fs::path kRoot = KOTOPA_SOURCE_DIR;

// The readings of the delivered Acts, one after another, up to chars characters, with every
// stride-th character replaced by a kanji no key types (stride 0: none).
std::string LongReading(std::size_t chars, std::size_t stride) {
    std::string all;
    for (int n = 1; n <= 12; ++n) {
        const std::string name = (n < 10 ? "Act0" : "Act") + std::to_string(n) + ".ktp";
        const kotopa::ActLoad load = kotopa::ReadAct(kRoot / "data" / "ktp" / name);
        for (std::size_t i = 0; i < load.script.PairCount(); ++i)
            all += std::string(load.script.Yomi(i)) + " ";
    }
    if (all.empty()) return all;
    std::string reading;
    std::size_t count = 0;
    for (std::size_t at = 0; count < chars; ++count) {
        if (at >= all.size()) at = 0;
        const std::size_t len = kotopa::IsLeadByte(all[at]) ? 2 : 1;
        if (stride && count % stride == stride - 1) {
            reading += "\x8A\xBF";  // 漢
        } else {
            reading.append(all, at, len);
        }
        at += len;
    }
    return reading;
}

// An Act of five pairs whose first reading is the long one; its written form has as many
// blanks, so only the reading is judged.
std::string ActWith(const std::string& reading) {
    std::string written;
    for (std::size_t i = 0; i < reading.size(); i += kotopa::IsLeadByte(reading[i]) ? 2 : 1)
        written += reading[i] == ' ' ? " " : "x";
    std::string act = "h1\r\nh2\r\nh3\r\nh4\r\nh5\r\n" + written + "\r\n" + reading + "\r\n";
    for (int i = 0; i < 4; ++i) act += "a\r\n\x82\xA0\r\n";  // あ
    return act;
}

void CheckLong(benchmark::State& state, std::size_t stride) {
    kotopa::KeyTable table;
    table.LoadKeyFile(kRoot / "data" / "key" / "mykey.key");
    const std::string act = ActWith(LongReading(static_cast<std::size_t>(state.range(0)), stride));
    if (table.Rows().empty() || act.size() < 100) state.SkipWithError("no delivered data");
    std::size_t findings = 0;
    for (auto _ : state) {
        const kotopa::tool::ActCheck check = kotopa::tool::CheckAct(act, &table);
        findings = check.findings.size();
        benchmark::DoNotOptimize(findings);
    }
    state.counters["findings"] = static_cast<double>(findings);
    state.counters["chars/s"] = benchmark::Counter(static_cast<double>(state.range(0)),
                                                   benchmark::Counter::kIsIterationInvariantRate);
}

void BM_CheckLongReading(benchmark::State& state) {
    CheckLong(state, 0);
}
void BM_CheckLongReadingBlocked(benchmark::State& state) {
    CheckLong(state, 8);
}

void BM_MakeAct100KB(benchmark::State& state) {
    kotopa::KeyTable table;
    table.LoadKeyFile(kRoot / "data" / "key" / "mykey.key");
    std::string forms;
    for (int n = 1; n <= 12; ++n) {
        const std::string name = (n < 10 ? "Act0" : "Act") + std::to_string(n) + ".txt";
        std::string bytes;
        kotopa::ReadFileBytes(kRoot / "data-src" / "ktp" / name, bytes, kotopa::kActFileLimit);
        int line = 0;
        bool written = true;
        kotopa::ForEachLine(bytes, [&](std::string_view l) {
            if (++line <= 5 || l.empty()) return;
            if (written) {
                for (const char c : l)
                    if (c != ' ') forms += c;
                forms += '\n';
            }
            written = !written;
        });
    }
    std::string text;
    while (!forms.empty() && text.size() < 100 * 1024) text += forms;
    std::string error;
    const auto mecab = kotopa::tool::OpenMecab(kotopa::tool::DefaultDictionary(), error);
    if (!mecab || table.Rows().empty()) {
        state.SkipWithError(mecab ? "no delivered data" : error.c_str());
        return;
    }
    std::size_t pairs = 0;
    for (auto _ : state) {
        const auto act = kotopa::tool::MakeAct(text, *mecab, table, {"bench", ""});
        pairs = act.pairs.size();
        if (!act.ok()) state.SkipWithError(act.refusal.c_str());
    }
    state.counters["bytes"] = static_cast<double>(text.size());
    state.counters["pairs"] = static_cast<double>(pairs);
}

}  // namespace

// The practice button's work: 150 plays of 1,000 keys analysed, then the practice Act of the
// weakest kana made of the delivered Acts (range 0) or of them and the IPA dictionary (1),
// every word typed against the delivered key table and the Act checked.
void BM_PracticeAct(benchmark::State& state) {
    kotopa::KeyTable table;
    table.LoadKeyFile(kRoot / "data" / "key" / "mykey.key");
    const kotopa::KeyRecordFile file =
        kotopa::ParseKeyRecordFile(benchkeys::SyntheticFile(150, 1000));
    const kotopa::Weakness w = kotopa::AnalyseWeakness(file.plays);
    const std::filesystem::path dictionary =
        state.range(0) ? kotopa::PathFromUtf8(kotopa::tool::DefaultDictionary()) : "";
    if (table.Rows().empty() || w.Weakest(5).size() < 5) state.SkipWithError("no records");
    if (state.range(0) && dictionary.empty()) state.SkipWithError("built without MeCab");
    for (auto _ : state) {
        const kotopa::PracticeAct act =
            kotopa::tool::MakeWeakPracticeAct(w, kRoot / "data" / "ktp", dictionary, table);
        if (!act.ok()) state.SkipWithError("no practice Act");
        benchmark::DoNotOptimize(act.bytes.data());
    }
}

BENCHMARK(BM_MakeAct100KB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckLongReading)
    ->Arg(100000)
    ->Arg(400000)
    ->Arg(5000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckLongReadingBlocked)
    ->Arg(100000)
    ->Arg(400000)
    ->Arg(5000000)
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_PracticeAct)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
