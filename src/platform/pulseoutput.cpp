// The module kotopa_sound: the sound output on PulseAudio (or a server that speaks its
// protocol, such as PipeWire's), with the asynchronous client API on a main loop of our own
// that runs on the output's thread. Nothing here ever waits for the server: a server that
// stalls only stops the stream's requests for samples, and one that dies or drops the
// stream ends the connection, after which a new one is tried twice a second.
#include <pthread.h>
#include <pulse/pulseaudio.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <chrono>

#include "audiobackend.h"
#include "mixer.h"

namespace kotopa::platform {
namespace {

// About 30 ms from the mixer to the speaker, refilled every 5 ms: a busy machine may keep
// the thread waiting for 20 ms, and a write that comes late is heard as a gap.
constexpr pa_usec_t kLatencyUs = 30000;
constexpr pa_usec_t kRefillUs = 5000;
constexpr auto kRetry = std::chrono::milliseconds(500);

class PulseBackend final : public AudioBackend {
public:
    PulseBackend() : loop_(pa_mainloop_new()) {}
    ~PulseBackend() override {
        if (loop_) pa_mainloop_free(loop_);
    }

    void Stop() noexcept override {
        stop_.store(true);
        if (loop_) pa_mainloop_wakeup(loop_);
    }

    void Run(OutputFeed& feed) override {
        if (!loop_) return;
        feed_ = &feed;
        // The lowest real-time priority where the system grants it (it often does not); the
        // thread only ever sleeps in poll between short writes.
        sched_param priority{};
        priority.sched_priority = sched_get_priority_min(SCHED_RR);
        pthread_setschedparam(pthread_self(), SCHED_RR | SCHED_RESET_ON_FORK, &priority);
        bool first = true;
        while (!stop_.load()) {
            Connect(first);
            first = false;
            while (!stop_.load() && !lost_) {
                if (pa_mainloop_iterate(loop_, 1, nullptr) < 0) break;
            }
            Disconnect();
            const auto until = std::chrono::steady_clock::now() + kRetry;
            while (!stop_.load() && std::chrono::steady_clock::now() < until) {
                const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
                    until - std::chrono::steady_clock::now());
                if (pa_mainloop_prepare(loop_,
                                        static_cast<int>(std::max<int64_t>(0, left.count()))) < 0 ||
                    pa_mainloop_poll(loop_) < 0 || pa_mainloop_dispatch(loop_) < 0) {
                    break;
                }
            }
        }
    }

private:
    void Connect(bool first) {
        lost_ = false;
        context_ = pa_context_new(pa_mainloop_get_api(loop_), "KotoPA");
        if (!context_) {
            lost_ = true;
            return;
        }
        pa_context_set_state_callback(context_, &PulseBackend::ContextState, this);
        // A desktop whose server starts on demand gets it started once; after that the
        // program only waits for the server to come back.
        const auto flags = first ? PA_CONTEXT_NOFLAGS : PA_CONTEXT_NOAUTOSPAWN;
        if (pa_context_connect(context_, nullptr, flags, nullptr) < 0) lost_ = true;
    }

    void Disconnect() {
        if (stream_) {
            pa_stream_set_state_callback(stream_, nullptr, nullptr);
            pa_stream_set_write_callback(stream_, nullptr, nullptr);
            pa_stream_disconnect(stream_);
            pa_stream_unref(stream_);
            stream_ = nullptr;
        }
        if (context_) {
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
            pa_context_unref(context_);
            context_ = nullptr;
        }
        if (opened_) feed_->Opened(false);
        opened_ = false;
    }

    void OpenStream() {
        const pa_sample_spec format{PA_SAMPLE_S16LE, kMixRate, kMixChannels};
        stream_ = pa_stream_new(context_, "mistype sound", &format, nullptr);
        if (!stream_) {
            lost_ = true;
            return;
        }
        pa_stream_set_state_callback(stream_, &PulseBackend::StreamState, this);
        pa_stream_set_write_callback(stream_, &PulseBackend::Write, this);
        pa_buffer_attr attr;
        attr.maxlength = static_cast<uint32_t>(-1);
        attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(kLatencyUs, &format));
        attr.prebuf = static_cast<uint32_t>(-1);
        attr.minreq = static_cast<uint32_t>(pa_usec_to_bytes(kRefillUs, &format));
        attr.fragsize = static_cast<uint32_t>(-1);
        if (pa_stream_connect_playback(stream_, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr,
                                       nullptr) < 0) {
            lost_ = true;
        }
    }

    static void ContextState(pa_context* c, void* self) {
        auto* b = static_cast<PulseBackend*>(self);
        switch (pa_context_get_state(c)) {
            case PA_CONTEXT_READY:
                if (!b->stream_) b->OpenStream();
                break;
            case PA_CONTEXT_FAILED:
            case PA_CONTEXT_TERMINATED:
                b->lost_ = true;
                break;
            default:
                break;
        }
    }

    static void StreamState(pa_stream* s, void* self) {
        auto* b = static_cast<PulseBackend*>(self);
        switch (pa_stream_get_state(s)) {
            case PA_STREAM_READY:
                b->opened_ = true;
                b->feed_->Opened(true);
                break;
            case PA_STREAM_FAILED:
            case PA_STREAM_TERMINATED:
                b->lost_ = true;
                break;
            default:
                break;
        }
    }

    // The stream wants nbytes more: the mixer writes them straight into the server's buffer.
    static void Write(pa_stream* s, size_t nbytes, void* self) {
        auto* b = static_cast<PulseBackend*>(self);
        constexpr size_t frameBytes = 2 * kMixChannels;
        while (nbytes >= frameBytes) {
            void* data = nullptr;
            size_t n = nbytes;
            if (pa_stream_begin_write(s, &data, &n) < 0 || !data) {
                b->lost_ = true;
                return;
            }
            n = std::min(n, nbytes) / frameBytes * frameBytes;
            if (n == 0) {
                pa_stream_cancel_write(s);
                return;
            }
            b->feed_->Render(static_cast<int16_t*>(data), n / frameBytes);
            if (pa_stream_write(s, data, n, nullptr, 0, PA_SEEK_RELATIVE) < 0) {
                b->lost_ = true;
                return;
            }
            nbytes -= n;
        }
    }

    pa_mainloop* loop_;
    std::atomic<bool> stop_{false};
    OutputFeed* feed_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    bool lost_ = false;
    bool opened_ = false;
};

}  // namespace
}  // namespace kotopa::platform

extern "C" __attribute__((visibility("default"))) kotopa::platform::AudioBackend*
kotopa_sound_backend() {
    return new kotopa::platform::PulseBackend();
}
