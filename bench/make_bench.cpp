// "Act を作る" with a text of 1 MB: while MeCab and the checks run on the worker thread, the
// window's own thread must go on answering. A timer of 10 ms on that thread measures the
// longest gap between its ticks (the 10 ms included) from the window's showing until the made
// lines are in the table and painted; the whole make's time goes beside it. Part of app_bench:
//   build/bench/app_bench --benchmark_filter=MakeForm
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QListWidget>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <string>

#include "actmake.h"
#include "fake_services.h"
#include "keytable.h"
#include "makeform.h"

namespace fs = std::filesystem;

namespace {

// Everyday sentences, a paragraph apart, repeated up to the size (UTF-8); one in eleven
// gives a finding, so that the list of findings is long too.
std::string EverydayText(std::size_t bytes) {
    const char* sentences[] = {
        "今日は朝から雨が降っています。",
        "駅まで歩いて十分かかります。",
        "私は毎朝コーヒーを飲みます。",
        "週末に友達と映画を見ました。",
        "新しい本を買いに行きたい。",
        "電車が遅れたので会議に間に合わなかった。",
        "この町には古いお寺がたくさんある。",
        "夏休みに家族で海へ行く予定です。",
        "彼女はピアノを弾くのが上手だ。",
        "明日の天気は晴れのち曇りでしょう。",
        "笑顔😀で話した。",  // a character Shift_JIS lacks: a finding on every tenth line
    };
    std::string text;
    text.reserve(bytes + 200);
    for (std::size_t i = 0; text.size() < bytes; ++i) {
        text += sentences[i % std::size(sentences)];
        if (i % 5 == 4) text += "\n";
    }
    return text;
}

void BM_MakeFormOneMegabyte(benchmark::State& state) {
    if (kotopa::tool::DefaultDictionary().empty()) {
        state.SkipWithError("no MeCab dictionary (mecab-ipadic-utf8)");
        return;
    }
    const fs::path key = fs::path(KOTOPA_SOURCE_DIR) / "data" / "key" / "mykey.key";
    kotopa::KeyTable keys;
    if (keys.LoadKeyFile(key) != kotopa::KeyFileProblem::None) {
        state.SkipWithError("cannot load data/key/mykey.key");
        return;
    }
    const fs::path ktp =
        fs::temp_directory_path() / ("kotopa-bench-make-" + std::to_string(getpid()));
    const std::string text = EverydayText(1'000'000);
    double longestMs = 0, makeMs = 0;
    int rows = 0, findings = 0;
    for (auto _ : state) {
        apptest::FakeServices fakes;
        kotopa::TMakeForm form(text, QStringLiteral("bench"), keys, ktp, fakes.services());
        QEventLoop loop;
        QElapsedTimer clock, sinceTick;
        qint64 longest = 0, doneAt = -1;
        QTimer tick;
        tick.setInterval(10);
        QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
            longest = std::max(longest, sinceTick.nsecsElapsed());
            sinceTick.start();
            if (doneAt < 0 && form.Model().rowCount() > 0) doneAt = clock.nsecsElapsed();
            // The table painted with its rows: a few ticks after they came.
            if (doneAt >= 0 && clock.nsecsElapsed() - doneAt > 300'000'000) loop.quit();
            if (clock.nsecsElapsed() > 120'000'000'000) loop.quit();
        });
        clock.start();
        sinceTick.start();
        tick.start();
        form.show();
        loop.exec();
        tick.stop();
        if (doneAt < 0) {
            state.SkipWithError("nothing was made within two minutes");
            break;
        }
        longestMs = std::max(longestMs, static_cast<double>(longest) / 1e6);
        makeMs = static_cast<double>(doneAt) / 1e6;
        rows = form.Model().rowCount();
        findings = form.Findings()->count();
        form.close();
    }
    state.counters["text_MB"] = static_cast<double>(text.size()) / 1e6;
    state.counters["rows"] = rows;
    state.counters["findings"] = findings;
    state.counters["make_ms"] = makeMs;
    state.counters["longest_gap_ms"] = longestMs;
    std::error_code ec;
    fs::remove_all(ktp, ec);
}
BENCHMARK(BM_MakeFormOneMegabyte)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
