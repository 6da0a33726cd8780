// The ears and fingers of the sound test: it records, types and listens.
//   sound_probe wave <file.wav> <ms>       a test wave: 16-bit stereo at 48 kHz, no zero frame
//   sound_probe stamp <file.raw> <times>   copies stdin (parec's raw samples) to the file and
//                                          notes when each piece arrived: "<ns> <bytes so far>"
//   sound_probe keys <char> <count> <gap ms>
//                                          types the key with XTEST, count times, gap apart;
//                                          prints the time of every press in ns
//   sound_probe press <gap ms> <code>...
//                                          presses keys by X key code with XTEST, gap apart,
//                                          whatever the layout maps them to; "S+<code>" holds
//                                          Shift (key code 50) around the key
//   sound_probe analyse <file.wav> <file.raw> <times> <keys>
//                                          finds every copy of the wave in the recording
//                                          (copies may overlap) and prints: onsets, copies
//                                          heard whole, the largest sample left over, and the
//                                          delays from key to onset (median, worst) in ms
//   sound_probe sounding <file.raw>        where the recording is not silent: the number of
//                                          stretches (gaps under 5 ms joined) and their lengths
//                                          in ms, for output that was converted on its way
// All times are CLOCK_REALTIME in nanoseconds.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 48000;
constexpr int kFrameBytes = 4;
constexpr int kTolerance = 2;  // the server may round a sample

int64_t Now() {
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

std::string ReadAll(const char* file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<int16_t> Samples(const std::string& bytes, std::size_t from) {
    std::vector<int16_t> s((bytes.size() - std::min(from, bytes.size())) / 2);
    if (!s.empty()) std::memcpy(s.data(), bytes.data() + from, s.size() * 2);
    return s;
}

void Put(std::string& s, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

int Wave(const char* file, int ms) {
    const int frames = kRate * ms / 1000;
    std::string data;
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        // A 700 Hz tone that never crosses zero, a little different on each side.
        const auto left = static_cast<int16_t>(2500 + 1500 * std::sin(2 * M_PI * 700 * t));
        const auto right = static_cast<int16_t>(-2500 - 1200 * std::sin(2 * M_PI * 440 * t));
        Put(data, static_cast<uint16_t>(left), 2);
        Put(data, static_cast<uint16_t>(right), 2);
    }
    std::string w = "RIFF";
    Put(w, static_cast<uint32_t>(36 + data.size()), 4);
    w += "WAVEfmt ";
    Put(w, 16, 4);
    Put(w, 1, 2);
    Put(w, 2, 2);
    Put(w, kRate, 4);
    Put(w, kRate * kFrameBytes, 4);
    Put(w, kFrameBytes, 2);
    Put(w, 16, 2);
    w += "data";
    Put(w, static_cast<uint32_t>(data.size()), 4);
    w += data;
    std::ofstream(file, std::ios::binary) << w;
    return 0;
}

int Stamp(const char* rawFile, const char* timesFile) {
    FILE* raw = std::fopen(rawFile, "wb");
    FILE* times = std::fopen(timesFile, "w");
    if (!raw || !times) return 1;
    std::vector<char> buf(1 << 16);
    uint64_t total = 0;
    for (;;) {
        const ssize_t n = read(0, buf.data(), buf.size());
        if (n <= 0) break;
        const int64_t t = Now();
        std::fwrite(buf.data(), 1, static_cast<std::size_t>(n), raw);
        total += static_cast<uint64_t>(n);
        std::fprintf(times, "%lld %llu\n", static_cast<long long>(t),
                     static_cast<unsigned long long>(total));
        std::fflush(raw);
        std::fflush(times);
    }
    std::fclose(raw);
    std::fclose(times);
    return 0;
}

int Keys(const char* key, int count, int gapMs) {
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) return 1;
    const KeyCode code = XKeysymToKeycode(dpy, XStringToKeysym(key));
    if (!code) return 1;
    int64_t next = Now();
    for (int i = 0; i < count; ++i) {
        while (Now() < next) usleep(200);
        XTestFakeKeyEvent(dpy, code, True, CurrentTime);
        XTestFakeKeyEvent(dpy, code, False, CurrentTime);
        XSync(dpy, False);
        std::printf("%lld\n", static_cast<long long>(Now()));
        next += int64_t{gapMs} * 1000000;
    }
    std::fflush(stdout);
    XCloseDisplay(dpy);
    return 0;
}

int Press(int gapMs, int count, char** codes) {
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) return 1;
    constexpr KeyCode kShift = 50;
    for (int i = 0; i < count; ++i) {
        std::string code = codes[i];
        const bool shift = code.rfind("S+", 0) == 0;
        if (shift) code.erase(0, 2);
        const int number = std::atoi(code.c_str());
        if (number < 8 || number > 255) return 2;
        if (shift) XTestFakeKeyEvent(dpy, kShift, True, CurrentTime);
        XTestFakeKeyEvent(dpy, static_cast<KeyCode>(number), True, CurrentTime);
        XTestFakeKeyEvent(dpy, static_cast<KeyCode>(number), False, CurrentTime);
        if (shift) XTestFakeKeyEvent(dpy, kShift, False, CurrentTime);
        XSync(dpy, False);
        usleep(static_cast<useconds_t>(gapMs) * 1000);
    }
    XCloseDisplay(dpy);
    return 0;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

int Analyse(const char* waveFile, const char* rawFile, const char* timesFile,
            const char* keysFile) {
    const std::string waveBytes = ReadAll(waveFile);
    if (waveBytes.size() < 44) return 1;
    const std::vector<int16_t> wave = Samples(waveBytes, 44);
    std::vector<int32_t> left;  // what is left of the recording once the copies are taken out
    for (int16_t s : Samples(ReadAll(rawFile), 0)) left.push_back(s);
    const std::size_t length = wave.size() / 2;

    // Where something sounds that is not yet explained, k copies start together when the
    // first millisecond is k times the wave's (voices started by one write of the mixer);
    // they are taken out. Anything else counts as one copy that is not whole, and its
    // length is skipped, so that one damaged copy does not spoil the rest.
    const std::size_t frames = left.size() / 2, prefix = std::min<std::size_t>(48, length);
    std::vector<std::size_t> onsets;
    std::vector<bool> damaged;
    std::vector<bool> spoilt(frames);  // frames of a stretch that is no copy of the wave
    for (std::size_t i = 0; i < frames; ++i) {
        if (std::abs(left[2 * i]) <= kTolerance && std::abs(left[2 * i + 1]) <= kTolerance)
            continue;
        const long k = std::max(1L, std::lround(static_cast<double>(left[2 * i]) / wave[0]));
        bool matches = i + prefix <= frames;
        for (std::size_t j = 0; matches && j < 2 * prefix; ++j) {
            matches = std::abs(left[2 * i + j] - k * wave[j]) <= kTolerance * k;
        }
        const std::size_t copies = matches ? static_cast<std::size_t>(k) : 1;
        for (std::size_t c = 0; c < copies; ++c) {
            onsets.push_back(i);
            damaged.push_back(!matches);
        }
        for (std::size_t j = 0; j < length && i + j < frames; ++j) {
            for (int side = 0; side < 2; ++side) {
                int32_t& v = left[2 * (i + j) + side];
                v = matches ? v - static_cast<int32_t>(k) * wave[2 * j + side] : 0;
            }
            if (!matches) spoilt[i + j] = true;
        }
        if (!matches) i += length - 1;
    }
    int whole = 0;
    int32_t worst = 0;
    for (std::size_t n = 0; n < onsets.size(); ++n) {
        const std::size_t i = onsets[n];
        int32_t most = damaged[n] ? 1 << 16 : 0;
        if (i + length > frames) most = 1 << 16;  // cut off by the end of the recording
        for (std::size_t j = 2 * i; j < std::min(left.size(), 2 * (i + length)); ++j) {
            most = std::max(most, spoilt[j / 2] ? 1 << 16 : std::abs(left[j]));
        }
        worst = std::max(worst, most);
        whole += most <= kTolerance;
    }
    std::printf("onsets %zu\nwhole %d\nleftover %d\n", onsets.size(), whole, worst);

    // The recording's clock: frame f was captured at t0 + f / rate, where t0 is the earliest
    // that the pieces' arrival allows (each piece arrives after its last frame was taken).
    std::ifstream times(timesFile);
    long long t, bytes;
    double t0 = 1e30;
    while (times >> t >> bytes)
        t0 = std::min(t0, t - 1e9 * (static_cast<double>(bytes) / kFrameBytes) / kRate);
    std::ifstream keys(keysFile);
    std::vector<long long> pressed;
    while (keys >> t) pressed.push_back(t);
    if (!pressed.empty() && pressed.size() == onsets.size()) {
        std::vector<double> delays;
        for (std::size_t k = 0; k < onsets.size(); ++k) {
            const double heard = t0 + 1e9 * static_cast<double>(onsets[k]) / kRate;
            delays.push_back((heard - static_cast<double>(pressed[k])) / 1e6);
        }
        std::printf("delay_median_ms %.1f\ndelay_worst_ms %.1f\ndelay_best_ms %.1f\n",
                    Median(delays), *std::max_element(delays.begin(), delays.end()),
                    *std::min_element(delays.begin(), delays.end()));
    }
    return 0;
}

int Sounding(const char* rawFile) {
    const std::vector<int16_t> s = Samples(ReadAll(rawFile), 0);
    const std::size_t frames = s.size() / 2, gap = kRate / 200;
    std::vector<std::pair<std::size_t, std::size_t>> runs;  // first and last sounding frame
    for (std::size_t i = 0; i < frames; ++i) {
        if (std::abs(s[2 * i]) <= 64 && std::abs(s[2 * i + 1]) <= 64) continue;
        if (!runs.empty() && i - runs.back().second <= gap) {
            runs.back().second = i;
        } else {
            runs.emplace_back(i, i);
        }
    }
    std::printf("stretches %zu\nlengths_ms", runs.size());
    for (const auto& r : runs) std::printf(" %.1f", 1000.0 * (r.second - r.first + 1) / kRate);
    std::printf("\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "wave" && argc == 4) return Wave(argv[2], std::atoi(argv[3]));
    if (what == "stamp" && argc == 4) return Stamp(argv[2], argv[3]);
    if (what == "keys" && argc == 5) return Keys(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (what == "press" && argc >= 3) return Press(std::atoi(argv[2]), argc - 3, argv + 3);
    if (what == "sounding" && argc == 3) return Sounding(argv[2]);
    if (what == "analyse" && argc == 6) return Analyse(argv[2], argv[3], argv[4], argv[5]);
    std::fprintf(stderr, "usage: see the head of sound_probe.cpp\n");
    return 2;
}
