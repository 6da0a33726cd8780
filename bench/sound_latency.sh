#!/usr/bin/env bash
# The mistype sound measured on a real sound server: a PulseAudio server of this script's
# own (a null sink on a private socket), the staged program under Xvfb, 60 mistypes typed
# with XTEST 0.3 to 0.5 s apart and the sink's monitor recorded with parec. Reports, from
# the recording, the copies heard whole and the delay from key press to the first sample of
# the sound (median and worst), the program's streams afterwards, and then sound_bench: the
# key path with the output open and after the server has been killed.
#   bench/sound_latency.sh [build folder, default build]
# Run it alone in a network namespace of its own (the program allows one copy per machine):
#   unshare -n bash -c 'ip link set lo up; bench/sound_latency.sh'
set -eEuo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
export KOTOPA_STAGE=$build/kotopa KOTOPA_X11_HELPER=$build/tests/e2e/x11_helper \
    KOTOPA_SOUND_PROBE=$build/tests/e2e/sound_probe KOTOPA_TOOL=unused \
    KOTOPA_ARTIFACTS=$build/bench-artifacts KOTOPA_E2E_LIBRARY=1
# shellcheck source=../tests/e2e/e2e.sh
source "$root/tests/e2e/e2e.sh" sound_latency

start_display
install_program
start_pulse
start_sound_play
wait_stream
start_recording latency
for i in $(seq 60); do
    mistypes 1 0 latency
    sleep "0.$((30 + (i * 7) % 20))"
done
stop_recording
analyse latency
echo "sink-inputs after 60 mistypes: $(sink_inputs)"
end_sound_play

# The key path: the output open (a fresh server), then the server killed.
kill "$pulse_pid"
wait "$pulse_pid" 2>/dev/null || true
start_pulse
KOTOPA_PULSE_PID=$pulse_pid "$build/bench/sound_bench"
