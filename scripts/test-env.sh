# Sourced by the test scripts: a private JACK server (dummy driver) and a virtual display.
start_test_services() {
  export VLM_TEST_RUNTIME=$(mktemp -d /tmp/vlm-test-XXXXXX)
  export XDG_RUNTIME_DIR=$VLM_TEST_RUNTIME
  export JACK_NO_AUDIO_RESERVATION=1
  if command -v jackd >/dev/null; then
    jackd --no-realtime -d dummy -r 48000 -p 256 >"$VLM_TEST_RUNTIME/jackd.log" 2>&1 &
    VLM_JACK_PID=$!
  fi
  if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
    Xvfb :97 -screen 0 1600x1200x24 -nolisten tcp >"$VLM_TEST_RUNTIME/xvfb.log" 2>&1 &
    VLM_XVFB_PID=$!
    export DISPLAY=:97
  fi
  sleep 1
}
stop_test_services() {
  [ -n "${VLM_JACK_PID:-}" ] && kill "$VLM_JACK_PID" 2>/dev/null || true
  [ -n "${VLM_XVFB_PID:-}" ] && kill "$VLM_XVFB_PID" 2>/dev/null || true
}
