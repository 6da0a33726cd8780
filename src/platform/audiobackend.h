// The seam between the program's sound output (soundoutput.h) and the system's audio
// service: a back end runs one output stream on the output's own thread and asks the feed
// for samples whenever the stream wants more. It opens the stream, notices when it goes
// away (the server died, the device was removed) and opens it again, without ever making
// the window's thread wait. PulseAudio on Linux (a module, pulseoutput.cpp), waveOut on
// Windows (waveoutput.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

namespace kotopa::platform {

// What a back end calls, always from the thread that runs it.
class OutputFeed {
public:
    // frames interleaved stereo 16-bit frames at the mixer's rate (kMixRate).
    virtual void Render(int16_t* out, std::size_t frames) noexcept = 0;
    // The stream has opened (true) or gone away (false).
    virtual void Opened(bool open) noexcept = 0;

protected:
    ~OutputFeed() = default;
};

class AudioBackend {
public:
    virtual ~AudioBackend() = default;
    // Runs the output until Stop: open, feed, reopen when lost. Returns soon after Stop.
    virtual void Run(OutputFeed& feed) = 0;
    // From any thread.
    virtual void Stop() noexcept = 0;
};

}  // namespace kotopa::platform

// The entry of the back end: a new back end, owned by the caller.
extern "C" kotopa::platform::AudioBackend* kotopa_sound_backend();
