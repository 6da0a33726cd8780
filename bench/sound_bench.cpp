// The key path of the mistype sound: one WaveList::Play on the program's real sound output
// (SoundOutput with the staged PulseAudio module), each call timed on its own, median and
// 99th percentile in microseconds:
//   - with the output open: needs a server at PULSE_SERVER (bench/sound_latency.sh starts
//     one); skipped when none answers within 3 s;
//   - with the server gone: when KOTOPA_PULSE_PID names the server, it is killed with
//     SIGKILL first; otherwise the output is pointed where no server listens.
//   build/bench/sound_bench
#include <benchmark/benchmark.h>
#include <signal.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "soundoutput.h"
#include "wavelist.h"

namespace {

using kotopa::platform::SoundOutput;
using kotopa::platform::WaveList;

// The delivered wave's shape: 694 frames of 8-bit stereo at 11 025 Hz.
std::string BuiltInShape() {
    auto le = [](uint32_t v, int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
        return s;
    };
    std::string data(1388, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(128 + (i % 32) * 3);
    const std::string fmt = le(1, 2) + le(2, 2) + le(11025, 4) + le(22050, 4) + le(2, 2) + le(8, 2);
    const std::string chunks = "fmt " + le(16, 4) + fmt + "data" + le(1388, 4) + data;
    return "RIFF" + le(static_cast<uint32_t>(4 + chunks.size()), 4) + "WAVE" + chunks;
}

struct Output {
    SoundOutput output{std::filesystem::path(KOTOPA_STAGE_DIR) /
                       kotopa::platform::kSoundModuleName};
    WaveList list{output};
    Output() {
        list.Add("miss", BuiltInShape());
        output.Open();
    }
    bool WaitOpen(bool open) const {
        for (int i = 0; i < 300 && output.IsOpen() != open; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return output.IsOpen() == open;
    }
};

Output& TheOutput() {
    static Output out;
    return out;
}

int64_t Ns() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

void TimePlays(benchmark::State& state, Output& out) {
    std::vector<int64_t> ns;
    ns.reserve(1 << 20);
    for (auto _ : state) {
        const int64_t begin = Ns();
        out.list.Play("miss");
        ns.push_back(Ns() - begin);
        // A mistype every 50 us at most: the queue is drained in time, as in typing.
        if (ns.size() % 64 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::sort(ns.begin(), ns.end());
    state.counters["median_us"] = static_cast<double>(ns[ns.size() / 2]) / 1000;
    state.counters["p99_us"] = static_cast<double>(ns[ns.size() * 99 / 100]) / 1000;
    state.counters["worst_us"] = static_cast<double>(ns.back()) / 1000;
    state.counters["voices"] = static_cast<double>(out.output.VoicesStarted());
}

void BM_PlayMissSoundOutputOpen(benchmark::State& state) {
    if (!std::getenv("PULSE_SERVER")) setenv("PULSE_SERVER", "unix:/nonexistent/native", 1);
    Output& out = TheOutput();
    if (!out.WaitOpen(true)) {
        state.SkipWithError("no sound server answers at PULSE_SERVER");
        for (auto _ : state) {
        }
        return;
    }
    TimePlays(state, out);
}
BENCHMARK(BM_PlayMissSoundOutputOpen)->Iterations(100000)->Unit(benchmark::kNanosecond);

void BM_PlayMissSoundServerGone(benchmark::State& state) {
    if (const char* pid = std::getenv("KOTOPA_PULSE_PID")) {
        kill(static_cast<pid_t>(std::atoi(pid)), SIGKILL);
    } else {
        setenv("PULSE_SERVER", "unix:/nonexistent/native", 1);
    }
    Output& out = TheOutput();
    if (!out.WaitOpen(false)) {
        state.SkipWithError("the output stays open");
        for (auto _ : state) {
        }
        return;
    }
    TimePlays(state, out);
}
BENCHMARK(BM_PlayMissSoundServerGone)->Iterations(100000)->Unit(benchmark::kNanosecond);

}  // namespace

BENCHMARK_MAIN();
