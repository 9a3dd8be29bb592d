# Sourced by the test scripts: a private JACK server (dummy driver) and a virtual display.
# Each run gets its own server name and display number, so runs side by side on one machine do not
# meet; the server is stopped with SIGTERM and waited for, since a killed server leaves its entry in
# JACK's shared-memory registry.
start_test_services() {
  export VLM_TEST_RUNTIME=$(mktemp -d /tmp/vlm-test-XXXXXX)
  export XDG_RUNTIME_DIR=$VLM_TEST_RUNTIME
  export JACK_NO_AUDIO_RESERVATION=1
  if command -v jackd >/dev/null; then
    export JACK_DEFAULT_SERVER="vlm-test-$$"
    jackd --no-realtime -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 256 \
      >"$VLM_TEST_RUNTIME/jackd.log" 2>&1 &
    VLM_JACK_PID=$!
    # Wait for the server to answer rather than for a fixed time.
    for _ in $(seq 100); do
      jack_lsp >/dev/null 2>&1 && break
      sleep 0.1
    done
  fi
  if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
    exec {display_fd}<> <(:)
    Xvfb -displayfd "$display_fd" -screen 0 1600x1200x24 -nolisten tcp \
      >"$VLM_TEST_RUNTIME/xvfb.log" 2>&1 &
    VLM_XVFB_PID=$!
    local number=""
    read -r -t 10 number <&"$display_fd" || true
    exec {display_fd}<&-
    export DISPLAY=":${number:-97}"
  fi
}
stop_test_services() {
  if [ -n "${VLM_JACK_PID:-}" ]; then
    kill -TERM "$VLM_JACK_PID" 2>/dev/null || true
    wait "$VLM_JACK_PID" 2>/dev/null || true
  fi
  [ -n "${VLM_XVFB_PID:-}" ] && kill "$VLM_XVFB_PID" 2>/dev/null || true
}
