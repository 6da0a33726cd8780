// Speed of the main window on the offscreen platform (or the display in $DISPLAY when
// QT_QPA_PLATFORM says so):
//   - every key of whole plays sent to the typing box as key events, each timed on its own
//     from the event to the widgets holding the new state, and once more with the repaint
//     that follows (median and 99th percentile per key);
//   - the processor time of a play left waiting in the typing state for 10 s with the
//     millisecond timer running, as a share of one core (and, to compare, that of an empty
//     Qt timer ticking every millisecond);
//   - the staged program started until its main window is mapped, and its anonymous
//     memory, against a bare Qt window with one Japanese label, on a private Xvfb;
//   - the graph window's full redraw of all six series of two full record lists.
//   - one key typed in a reading line of 10 MB.
//   - "Act を作る" with a text of 1 MB: the longest gap of the window's thread (make_bench.cpp).
//   - the weakness window from the click of its button in the graph window to the window
//     painted, with a key record of 150 plays of 1,000 keys.
// The key table and Act are the delivered data/key/mykey.key and data/ktp/Act01.ktp when
// the source tree has them, otherwise a generated table of some 250 rows and a 40-line Act.
//   build/bench/app_bench
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "app.h"
#include "dataform.h"
#include "fake_random.h"
#include "fake_services.h"
#include "fakes.h"
#include "glaphform.h"
#include "key_records.h"
#include "mainform.h"
#include "qtplatform.h"
#include "sjis.h"
#include "test_util.h"
#include "weakform.h"
#include "widgets.h"
#include "x11_watch.h"

namespace fs = std::filesystem;
using kotopa::TMainForm;

extern char** environ;

namespace {

using testutil::Sj;

void Write(const fs::path& p, const std::string& bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
}

// A program folder with a key table and Act01.
fs::path MakeProgramFolder(std::string& source) {
    const fs::path base = fs::temp_directory_path() / ("kotopa-bench-" + std::to_string(getpid()));
    fs::remove_all(base);
    const fs::path data = fs::path(KOTOPA_SOURCE_DIR) / "data";
    if (fs::exists(data / "key" / "mykey.key") && fs::exists(data / "ktp" / "Act01.ktp")) {
        fs::create_directories(base / "key");
        fs::create_directories(base / "ktp");
        fs::copy_file(data / "key" / "mykey.key", base / "key" / "mykey.key");
        fs::copy_file(data / "ktp" / "Act01.ktp", base / "ktp" / "Act01.ktp");
        source = "delivered data";
        return base;
    }
    // Single kana with their spellings, the small-ya combinations and the doubled consonants.
    struct Kana {
        const char* kana;
        const char* romaji;
    };
    const Kana singles[] = {
        {"あ", "a"},     {"い", "i yi"},      {"う", "u wu"},   {"え", "e"},     {"お", "o"},
        {"か", "ka ca"}, {"き", "ki"},        {"く", "ku cu"},  {"け", "ke"},    {"こ", "ko co"},
        {"さ", "sa"},    {"し", "si shi ci"}, {"す", "su"},     {"せ", "se ce"}, {"そ", "so"},
        {"た", "ta"},    {"ち", "ti chi"},    {"つ", "tu tsu"}, {"て", "te"},    {"と", "to"},
        {"な", "na"},    {"に", "ni"},        {"ぬ", "nu"},     {"ね", "ne"},    {"の", "no"},
        {"は", "ha"},    {"ひ", "hi"},        {"ふ", "hu fu"},  {"へ", "he"},    {"ほ", "ho"},
        {"ま", "ma"},    {"み", "mi"},        {"む", "mu"},     {"め", "me"},    {"も", "mo"},
        {"や", "ya"},    {"ゆ", "yu"},        {"よ", "yo"},     {"ら", "ra"},    {"り", "ri"},
        {"る", "ru"},    {"れ", "re"},        {"ろ", "ro"},     {"わ", "wa"},    {"を", "wo"},
        {"ん", "nn xn"}, {"が", "ga"},        {"ぎ", "gi"},     {"ぐ", "gu"},    {"げ", "ge"},
        {"ご", "go"},    {"ざ", "za"},        {"じ", "zi ji"},  {"ず", "zu"},    {"ぜ", "ze"},
        {"ぞ", "zo"},    {"だ", "da"},        {"で", "de"},     {"ど", "do"},    {"ば", "ba"},
        {"び", "bi"},    {"ぶ", "bu"},        {"べ", "be"},     {"ぼ", "bo"},    {"ぱ", "pa"},
        {"ぴ", "pi"},    {"ぷ", "pu"},        {"ぺ", "pe"},     {"ぽ", "po"},    {"ー", "-"},
    };
    std::vector<std::string> rows;
    for (const Kana& k : singles) rows.push_back(std::string(k.kana) + " " + k.romaji);
    const char* iRow[] = {"き", "し", "ち", "に", "ひ", "み", "り", "ぎ", "じ", "び", "ぴ"};
    const char* iCons[] = {"ky", "sy", "ty", "ny", "hy", "my", "ry", "gy", "zy", "by", "py"};
    const char* smalls[] = {"ゃ", "ゅ", "ょ"};
    const char* smallVowel[] = {"a", "u", "o"};
    for (int i = 0; i < 11; ++i) {
        for (int j = 0; j < 3; ++j) {
            rows.push_back(std::string(iRow[i]) + smalls[j] + " " + iCons[i] + smallVowel[j]);
        }
    }
    for (const Kana& k : singles) {
        const std::string r = k.romaji;
        if (r.size() >= 2 && r[0] != 'n' && std::strchr("aiueo-", r[0]) == nullptr) {
            rows.push_back(std::string("っ") + k.kana + " " + r[0] + r.substr(0, r.find(' ')));
        }
    }
    rows.push_back("っ ltu xtu");
    rows.push_back("○ ○");
    rows.push_back("▼ ▼");
    rows.push_back("。 .");
    while (rows.size() < 250) rows.push_back(rows[rows.size() % 70]);  // duplicates, as tables have
    std::string key = "[MOZI]\r\nKAZU=" + std::to_string(rows.size()) + "\r\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        key += std::to_string(i) + "=\"" + rows[i] + "\"\r\n";
    }
    Write(base / "key" / "mykey.key", Sj(key.c_str()));

    std::mt19937 rng(7);
    std::string act = "Act01 bench\r\nbench\r\nbench\r\nbench\r\nbench\r\n";
    for (int line = 0; line < 40; ++line) {
        std::string yomi;
        const int words = 2 + static_cast<int>(rng() % 3);
        for (int w = 0; w < words; ++w) {
            if (w) yomi += " ";
            const int len = 3 + static_cast<int>(rng() % 5);
            for (int c = 0; c < len; ++c) yomi += singles[rng() % 69].kana;
        }
        act += "練習 " + std::to_string(line) + "\r\n" + yomi + "\r\n";
    }
    Write(base / "ktp" / "Act01.ktp", Sj(act.c_str()));
    source = "generated table of " + std::to_string(rows.size()) + " rows, 40 lines";
    return base;
}

struct Rig : apptest::FakeServices {
    std::string source;
    fs::path base = MakeProgramFolder(source);
    std::unique_ptr<TMainForm> form;
    QWidget* box = nullptr;

    Rig() {
        form = std::make_unique<TMainForm>(base, services());
        form->show();
        QApplication::processEvents();
        box = form->findChild<QWidget*>(QStringLiteral("ed_Nyuuryoku"));
    }
    ~Rig() {
        form.reset();
        std::error_code ec;
        fs::remove_all(base, ec);
    }

    void Send(char c) {
        int key = QChar(c).toUpper().unicode();
        if (c == 13) key = Qt::Key_Return;
        if (c == 27) key = Qt::Key_Escape;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier,
                        c == 13 ? QStringLiteral("\r") : QString(QChar(c)));
        QApplication::sendEvent(box, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(QChar(c)));
        QApplication::sendEvent(box, &release);
    }

    // The key a practised typist presses next: the next letter of the first candidate
    // still alive, the one-character units first; Enter at a line end.
    char NextKey() const {
        const kotopa::PlaySession& s = form->Session();
        if (s.GameState() == kotopa::PlayState::LineComplete) return 13;
        const kotopa::PlayView v = s.View();
        for (const auto* list : {&v.lst_1, &v.lst_2, &v.lst_3}) {
            for (const std::string& entry : *list) {
                if (!entry.empty() && !kotopa::IsLeadByte(entry[0])) return entry[0];
            }
        }
        return 27;  // nothing typeable: give up the play
    }

    void StartAndCountDown() {
        Send(13);
        for (int i = 0; i < 30; ++i) {
            clock.Advance(101);
            form->TimerTimer();
        }
    }

    // Ends the play with the end button and answers the result dialog.
    void StopAndCancel() {
        QTimer::singleShot(0, [] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) d->reject();
        });
        form->bt_endClick();
    }
};

Rig* g_rig = nullptr;

// Every key of a whole play but the last Enter (which opens the result dialog), each timed.
void PlayTimed(benchmark::State& state, bool repaint, bool guide = false) {
    Rig& rig = *g_rig;
    // The romaji guide's option, as the option panel sets it for the next play.
    auto* guideBox = rig.form->findChild<QCheckBox*>(QStringLiteral("ch_Guide"));
    if (!guideBox) {
        state.SkipWithError("no ch_Guide");
        return;
    }
    guideBox->setChecked(guide);
    std::vector<double> ns;
    for (auto _ : state) {
        rig.StartAndCountDown();
        const int32_t lines = rig.form->Session().LineTotal();
        while (rig.form->Session().Running()) {
            const char key = rig.NextKey();
            if (key == 27) break;
            if (key == 13 && rig.form->Session().LineIndex() + 1 >= lines) break;
            rig.clock.Advance(150);
            const int64_t t0 = xwatch::NowNs();
            rig.Send(key);
            if (repaint) QApplication::processEvents();
            ns.push_back(static_cast<double>(xwatch::NowNs() - t0));
            rig.form->TimerTimer();
        }
        state.PauseTiming();
        rig.StopAndCancel();
        state.ResumeTiming();
    }
    guideBox->setChecked(false);
    std::sort(ns.begin(), ns.end());
    state.counters["median_us"] = ns[ns.size() / 2] / 1000.0;
    state.counters["p99_us"] = ns[ns.size() * 99 / 100] / 1000.0;
    state.counters["max_us"] = ns.back() / 1000.0;
    state.counters["keys"] = static_cast<double>(ns.size());
    state.SetLabel(rig.source);
}

void BM_KeyToWidgets(benchmark::State& state) {
    PlayTimed(state, false);
}
BENCHMARK(BM_KeyToWidgets)->Iterations(20)->Unit(benchmark::kMillisecond);

void BM_KeyToWidgetsAndRepaint(benchmark::State& state) {
    PlayTimed(state, true);
}
BENCHMARK(BM_KeyToWidgetsAndRepaint)->Iterations(20)->Unit(benchmark::kMillisecond);

// The same two with the romaji guide on: planned after every key and drawn under the reading.
void BM_KeyToWidgetsGuideOn(benchmark::State& state) {
    PlayTimed(state, false, true);
}
BENCHMARK(BM_KeyToWidgetsGuideOn)->Iterations(20)->Unit(benchmark::kMillisecond);

void BM_KeyToWidgetsAndRepaintGuideOn(benchmark::State& state) {
    PlayTimed(state, true, true);
}
BENCHMARK(BM_KeyToWidgetsAndRepaintGuideOn)->Iterations(20)->Unit(benchmark::kMillisecond);

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// A play on the real clock, left in the typing state for 10 s with the timer running.
void BM_WaitingPlayProcessorTime(benchmark::State& state) {
    kotopa::platform::SystemClock clock;
    kotopa::platform::FakeDialogs dialogs;
    kotopa::platform::FakeShell shell;
    testutil::FakeRandom random;
    kotopa::platform::FakeSoundDevice sound;
    std::string source;
    const fs::path base = MakeProgramFolder(source);
    for (auto _ : state) {
        TMainForm form(base, kotopa::platform::Services{clock, dialogs, shell, random, sound});
        form.show();
        form.bt_startClick();
        QEventLoop loop;
        QTimer::singleShot(3300, &loop, &QEventLoop::quit);  // the countdown
        loop.exec();
        if (form.Session().GameState() != kotopa::PlayState::Typing) {
            state.SkipWithError("the play did not reach the typing state");
            break;
        }
        const double cpu0 = CpuSeconds();
        QElapsedTimer wall;
        wall.start();
        QTimer::singleShot(10000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
        const double cpu = CpuSeconds() - cpu0;
        const double seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
        state.counters["cpu_percent_of_one_core"] = 100.0 * cpu / seconds;
        state.counters["wall_s"] = seconds;
        QTimer::singleShot(0, [] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) d->reject();
        });
        form.bt_endClick();
    }
    std::error_code ec;
    fs::remove_all(base, ec);
}
BENCHMARK(BM_WaitingPlayProcessorTime)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// For comparison: an empty Qt timer ticking every millisecond, the cost of the event loop
// waking a thousand times a second with nothing to do.
void BM_EmptyMillisecondTimer(benchmark::State& state) {
    for (auto _ : state) {
        QTimer timer;
        timer.setInterval(1);
        timer.setTimerType(Qt::PreciseTimer);
        long ticks = 0;
        QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
        timer.start();
        QEventLoop loop;
        const double cpu0 = CpuSeconds();
        QElapsedTimer wall;
        wall.start();
        QTimer::singleShot(5000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
        const double seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
        state.counters["cpu_percent_of_one_core"] = 100.0 * (CpuSeconds() - cpu0) / seconds;
        state.counters["ticks_per_s"] = static_cast<double>(ticks) / seconds;
    }
}
BENCHMARK(BM_EmptyMillisecondTimer)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// The start-up of the staged program against a bare Qt window showing one Japanese label
// (bare_window) and, where Debian's tipp10 is installed, a peer trainer on the same Qt,
// in turn in one run on a private Xvfb: from the spawn to the first top-level window of the
// process being mapped (wall), the processor time of all its threads up to that moment
// (/proc/PID/task/*/schedstat), the resident anonymous memory (RssAnon) and the private
// dirty memory (smaps_rollup) once it has sat idle for two seconds. Medians of the rounds of
// each, after one round of each that warms the file caches.
struct Started {
    double ms = 0;
    double cpuMs = 0;
    double anonKb = 0;
    double dirtyKb = 0;
};

std::vector<char*> ChildEnvironment(const std::string& display, std::vector<std::string>& keep) {
    keep.clear();
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("DISPLAY=", 0) == 0 || entry.rfind("QT_QPA_PLATFORM=", 0) == 0) continue;
        keep.push_back(entry);
    }
    keep.push_back("DISPLAY=" + display);
    std::vector<char*> env;
    for (auto& entry : keep) env.push_back(entry.data());
    env.push_back(nullptr);
    return env;
}

// The figure in kB of the line "<field>:" of /proc/<pid>/<file>, or -1.
double ProcKb(pid_t pid, const char* file, const std::string& field) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
    const std::string head = field + ":";
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(head, 0) == 0) return std::atof(line.c_str() + head.size());
    }
    return -1;
}

double AnonKb(pid_t pid) {
    return ProcKb(pid, "status", "RssAnon");
}

// The processor time all threads of the process have run so far, in ms.
double ThreadsCpuMs(pid_t pid) {
    std::error_code ec;
    double ns = 0;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        std::ifstream in(task.path() / "schedstat");
        double run = 0;
        if (in >> run) ns += run;
    }
    return ns / 1e6;
}

// Private_Dirty of the whole process, in kB.
double PrivateDirtyKb(pid_t pid) {
    return ProcKb(pid, "smaps_rollup", "Private_Dirty");
}

std::optional<Started> StartOnce(const std::string& exe, const std::string& display,
                                 xwatch::MapWatcher& watcher) {
    std::vector<std::string> keep;
    std::vector<char*> env = ChildEnvironment(display, keep);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>(exe.c_str()), nullptr};
    pid_t pid = 0;
    const int64_t t0 = xwatch::NowNs();
    const int rc = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return std::nullopt;
    const int64_t mapped = watcher.WaitForMap(pid, 20000);
    std::optional<Started> out;
    if (mapped > 0) {
        // Read at once: the map event arrives within a millisecond of the window showing.
        const double cpuMs = ThreadsCpuMs(pid);
        usleep(2000000);
        out = Started{static_cast<double>(mapped - t0) / 1e6, cpuMs, AnonKb(pid),
                      PrivateDirtyKb(pid)};
    }
    kill(pid, SIGTERM);  // the program closes its window and stores its settings
    waitpid(pid, nullptr, 0);
    return out;
}

// Writes the files under folder to the disk. Pages of a file just copied and not yet
// written back are dirty, and a program started from them would be charged with its whole
// executable as private dirty memory, which the other two, long installed, are not.
void WriteBack(const fs::path& folder) {
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        const int fd = open(entry.path().c_str(), O_RDONLY);
        if (fd < 0) continue;
        fsync(fd);
        close(fd);
    }
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// KOTOPA_BENCH_STAGE names another staged program (an older build, to compare with) and
// KOTOPA_BENCH_ROUNDS the number of measured rounds (9 by default).
void BM_StartUpAgainstBareWindow(benchmark::State& state) {
    const char* otherStage = std::getenv("KOTOPA_BENCH_STAGE");
    const fs::path stage =
        otherStage && *otherStage ? fs::path(otherStage) : fs::path(KOTOPA_STAGE_DIR);
    const char* roundsText = std::getenv("KOTOPA_BENCH_ROUNDS");
    const int rounds = std::max(1, roundsText ? std::atoi(roundsText) : 9);
    const fs::path base =
        fs::temp_directory_path() / ("kotopa-bench-stage-" + std::to_string(getpid()));
    fs::remove_all(base);
    fs::copy(stage, base, fs::copy_options::recursive);
    fs::remove_all(base / "save");
    WriteBack(base);
    const std::string program = (base / "kotopa").string();
    const std::string bare = KOTOPA_BARE_WINDOW;
    const xwatch::PrivateServer server;
    if (server.Display().empty()) {
        state.SkipWithError("Xvfb could not be started");
        return;
    }
    xwatch::MapWatcher watcher(server.Display());
    std::string peer;
    for (const char* candidate : {"/usr/bin/tipp10", "/usr/games/tipp10"}) {
        if (access(candidate, X_OK) == 0) peer = candidate;
    }
    struct Series {
        std::vector<double> ms, cpuMs, anonKb, dirtyKb;
        void Add(const Started& s) {
            ms.push_back(s.ms);
            cpuMs.push_back(s.cpuMs);
            anonKb.push_back(s.anonKb);
            dirtyKb.push_back(s.dirtyKb);
        }
    };
    Series program_, bare_, peer_;
    for (auto _ : state) {
        for (int round = 0; round <= rounds; ++round) {
            const auto p = StartOnce(program, server.Display(), watcher);
            const auto b = StartOnce(bare, server.Display(), watcher);
            std::optional<Started> t;
            if (!peer.empty()) t = StartOnce(peer, server.Display(), watcher);
            if (!p || !b || (!peer.empty() && !t)) {
                state.SkipWithError("a window was not shown");
                break;
            }
            if (round == 0) continue;  // the warm-up
            program_.Add(*p);
            bare_.Add(*b);
            if (t) peer_.Add(*t);
        }
    }
    if (!program_.ms.empty()) {
        state.counters["program_ms"] = Median(program_.ms);
        state.counters["bare_ms"] = Median(bare_.ms);
        state.counters["time_ratio"] = Median(program_.ms) / Median(bare_.ms);
        state.counters["program_cpu_ms"] = Median(program_.cpuMs);
        state.counters["bare_cpu_ms"] = Median(bare_.cpuMs);
        state.counters["cpu_ratio"] = Median(program_.cpuMs) / Median(bare_.cpuMs);
        state.counters["program_anon_kB"] = Median(program_.anonKb);
        state.counters["bare_anon_kB"] = Median(bare_.anonKb);
        state.counters["memory_ratio"] = Median(program_.anonKb) / Median(bare_.anonKb);
        state.counters["program_dirty_kB"] = Median(program_.dirtyKb);
        state.counters["bare_dirty_kB"] = Median(bare_.dirtyKb);
        state.counters["dirty_ratio"] = Median(program_.dirtyKb) / Median(bare_.dirtyKb);
    }
    if (!peer_.ms.empty()) {
        state.counters["peer_ms"] = Median(peer_.ms);
        state.counters["peer_cpu_ms"] = Median(peer_.cpuMs);
        state.counters["peer_dirty_kB"] = Median(peer_.dirtyKb);
        state.counters["cpu_ratio_to_peer"] = Median(program_.cpuMs) / Median(peer_.cpuMs);
        state.counters["dirty_ratio_to_peer"] = Median(program_.dirtyKb) / Median(peer_.dirtyKb);
    }
    std::error_code ec;
    fs::remove_all(base, ec);
}
BENCHMARK(BM_StartUpAgainstBareWindow)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// The graph window's redraw as every check box click runs it: the delivered background, all
// six series of two record lists of 150 plays each, and the Act's name, into the bitmap
// that the picture control then shows.
void BM_GraphRedrawSixSeries(benchmark::State& state) {
    const fs::path background = fs::path(KOTOPA_SOURCE_DIR) / "data" / "system" / "Glaph.bmp";
    if (!fs::exists(background)) {
        state.SkipWithError("no data/system/Glaph.bmp");
        return;
    }
    const fs::path base =
        fs::temp_directory_path() / ("kotopa-bench-graph-" + std::to_string(getpid()));
    fs::create_directories(base / "system");
    fs::copy_file(background, base / "system" / "Glaph.bmp", fs::copy_options::overwrite_existing);
    std::mt19937 rng(11);
    std::vector<std::string> plays;
    for (int i = 0; i < 150; ++i) {
        plays.push_back(std::to_string(30 + rng() % 300) + " " + std::to_string(rng() % 400) + " " +
                        std::to_string(rng() % 40));
    }
    apptest::FakeServices fakes;
    {
        kotopa::TGlaphForm form(base, base / "ktp" / "Act01.ktp", plays, plays, fakes.services());
        for (QCheckBox* box : form.findChildren<QCheckBox*>()) {
            if (box->objectName() != QStringLiteral("CheckKakudai")) box->setChecked(true);
        }
        for (auto _ : state) form.DrawGraph();
    }
    std::error_code ec;
    fs::remove_all(base, ec);
}
BENCHMARK(BM_GraphRedrawSixSeries)->Unit(benchmark::kMicrosecond);

// One key in a line of 10 MB, from the event to the widgets: the window must cost the same
// per key whatever the length of the line.
void BM_KeyInA10MBLine(benchmark::State& state) {
    const fs::path base =
        fs::temp_directory_path() / ("kotopa-bench-long-" + std::to_string(getpid()));
    fs::remove_all(base);
    Write(base / "key" / "mykey.key",
          Sj("[MOZI]\r\nKAZU=5\r\n0=\"あ a\"\r\n1=\"い i\"\r\n2=\"う u\"\r\n"
             "3=\"え e\"\r\n4=\"お o\"\r\n"));
    const std::string vowels[] = {Sj("あ"), Sj("い"), Sj("う"), Sj("え"), Sj("お")};
    std::string reading, keys;
    reading.reserve(10'000'000);
    for (std::size_t i = 0; reading.size() < 10'000'000; ++i) {
        reading += vowels[i % 5];
        keys += "aiueo"[i % 5];
    }
    const std::string kanji(reading.size() / 2, 'K');
    std::string act = "h1\r\nh2\r\nh3\r\nh4\r\nh5\r\n" + kanji + "\r\n" + reading + "\r\n";
    for (int i = 0; i < 4; ++i) act += "k\r\n" + vowels[0] + "\r\n";
    Write(base / "ktp" / "Act01.ktp", act);
    {
        apptest::FakeServices fakes;
        TMainForm form(base, fakes.services());
        form.show();
        QApplication::processEvents();
        QWidget* box = form.findChild<QWidget*>(QStringLiteral("ed_Nyuuryoku"));
        form.bt_startClick();
        for (int i = 0; i < 30; ++i) {
            fakes.clock.Advance(101);
            form.TimerTimer();
        }
        std::size_t next = 0;
        for (auto _ : state) {
            const QString text{QChar(keys[next++ % keys.size()])};
            QKeyEvent press(QEvent::KeyPress, text[0].toUpper().unicode(), Qt::NoModifier, text);
            QApplication::sendEvent(box, &press);
        }
        if (form.Session().Facts().MissCount != 0) state.SkipWithError("the play mistyped");
        state.counters["line_MB"] = static_cast<double>(reading.size()) / 1e6;
        form.Timer().stop();
    }
    std::error_code ec;
    fs::remove_all(base, ec);
}
BENCHMARK(BM_KeyInA10MBLine)->Iterations(200)->Unit(benchmark::kMicrosecond);

// Watches for the weakness window: when it is shown, and when its first painting is done
// (the first paint of the window or a widget in it, and the events queued behind it, which
// paint the rest). Then it closes the window, which ends the click.
class WeakWindowWatch : public QObject {
public:
    void Arm() {
        armed_ = true;
        painting_ = false;
        clock_.start();
        shownNs = paintedNs = -1;
        plays = 0;
    }
    qint64 shownNs = -1, paintedNs = -1;
    std::size_t plays = 0;

protected:
    bool eventFilter(QObject* obj, QEvent* event) override {
        if (!armed_ || !obj->isWidgetType()) return false;
        auto* form = qobject_cast<kotopa::TWeakForm*>(static_cast<QWidget*>(obj)->window());
        if (form == nullptr) return false;
        if (event->type() == QEvent::Show && obj == form && shownNs < 0) {
            shownNs = clock_.nsecsElapsed();
        }
        if (event->type() == QEvent::Paint && !painting_) {
            painting_ = true;
            QTimer::singleShot(0, form, [this, form] {
                paintedNs = clock_.nsecsElapsed();
                plays = form->File().plays.size();
                armed_ = false;
                form->reject();
            });
        }
        return false;
    }

private:
    QElapsedTimer clock_;
    bool armed_ = false, painting_ = false;
};

// The click of the graph window's "苦手分析" button to the weakness window shown and painted:
// the key record of 150 plays of 1,000 keys read, analysed, drawn and laid out.
void BM_WeakWindowFromClick(benchmark::State& state) {
    const fs::path base =
        fs::temp_directory_path() / ("kotopa-bench-weak-" + std::to_string(getpid()));
    fs::remove_all(base);
    Write(base / "save" / "keyrecord.txt", benchkeys::SyntheticFile(150, 1000));
    const fs::path background = fs::path(KOTOPA_SOURCE_DIR) / "data" / "system" / "Glaph.bmp";
    if (fs::exists(background)) {
        fs::create_directories(base / "system");
        fs::copy_file(background, base / "system" / "Glaph.bmp");
    }
    {
        apptest::FakeServices fakes;
        kotopa::TGlaphForm graph(base, base / "ktp" / "Act01.ktp", {}, {}, fakes.services());
        graph.show();
        QApplication::processEvents();
        auto* button = graph.findChild<QToolButton*>(QStringLiteral("bt_Weak"));
        WeakWindowWatch watch;
        qApp->installEventFilter(&watch);
        std::vector<double> shown;
        for (auto _ : state) {
            watch.Arm();
            if (button != nullptr) button->click();  // returns once the window is closed
            if (watch.paintedNs < 0 || watch.shownNs < 0 || watch.plays != 150) {
                state.SkipWithError("the weakness window did not show 150 plays");
                break;
            }
            state.SetIterationTime(static_cast<double>(watch.paintedNs) / 1e9);
            shown.push_back(static_cast<double>(watch.shownNs) / 1e6);
        }
        qApp->removeEventFilter(&watch);
        if (!shown.empty()) {
            std::sort(shown.begin(), shown.end());
            state.counters["shown_median_ms"] = shown[shown.size() / 2];
        }
    }
    std::error_code ec;
    fs::remove_all(base, ec);
}
BENCHMARK(BM_WeakWindowFromClick)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

// The first opening of a panel in a freshly started window, which lays out and draws its
// controls (the key panel's list with every row of the table) for the first time: from the
// click to the first step of the slide shown, painted included. Each round starts a window
// of its own over the delivered key table and Act01.
void BM_FirstPanelOpening(benchmark::State& state) {
    const char* button = state.range(0) == 0 ? "bt_ViewOpen" : "bt_Opt";
    std::string source;
    const fs::path base = MakeProgramFolder(source);
    apptest::FakeServices fakes;
    for (auto _ : state) {
        TMainForm form(base, fakes.services());
        form.show();
        QApplication::processEvents();
        const QSize collapsed = form.size();
        auto* open = form.findChild<QToolButton*>(QString::fromLatin1(button));
        QElapsedTimer clock;
        clock.start();
        if (open != nullptr) open->click();
        while (form.size() == collapsed && clock.elapsed() < 5000) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 1);
        }
        QApplication::processEvents();  // the paint of the first step
        const qint64 ns = clock.nsecsElapsed();
        if (form.size() == collapsed) {
            state.SkipWithError("the panel did not open");
            break;
        }
        state.SetIterationTime(static_cast<double>(ns) / 1e9);
        state.PauseTiming();
        while (form.PanelSlide() != 0)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        state.ResumeTiming();
    }
    state.SetLabel(std::string(state.range(0) == 0 ? "key panel, " : "option panel, ") + source);
    std::error_code ec;
    fs::remove_all(base, ec);
}
BENCHMARK(BM_FirstPanelOpening)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(10)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Each run has a runtime folder of its own, so that a running KotoPA does not refuse it.
    const fs::path runtime =
        fs::temp_directory_path() / ("kotopa-bench-run-" + std::to_string(getpid()));
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    qputenv("XDG_RUNTIME_DIR", runtime.c_str());

    QApplication app(argc, argv);
    kotopa::InitResources();
    kotopa::InstallFontSubstitutes();
    Rig rig;
    g_rig = &rig;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_rig = nullptr;
    std::error_code ec;
    fs::remove_all(runtime, ec);
    return 0;
}
