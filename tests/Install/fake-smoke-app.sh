#!/bin/sh
# Stands in for the test application program in the tests of the smoke run:
# called as `fake-smoke-app.sh --smoke DIR`, it behaves as FAKE_SMOKE_MODE
# says and takes its pictures from FAKE_SMOKE_DATA.
#   ok        writes a painted window picture, exits 0 (needs an X display
#             when FAKE_SMOKE_NEEDS_DISPLAY is set)
#   exit      writes the picture, exits 3
#   asan      writes the picture, prints an AddressSanitizer report, exits 0
#   ubsan     writes the picture, prints an undefined-behaviour report, exits 0
#   blank     writes a uniformly dark picture, exits 0
#   noshot    writes nothing, exits 0
#   hang      never finishes
set -eu
[ "${1:-}" = "--smoke" ] && [ -n "${2:-}" ] || { echo "usage: $0 --smoke DIR" >&2; exit 2; }
dir=$2
if [ -n "${FAKE_SMOKE_NEEDS_DISPLAY:-}" ] && [ -z "${DISPLAY:-}" ]; then
  echo "fake: no X display" >&2
  exit 4
fi
case "${FAKE_SMOKE_MODE:-}" in
  ok)     cp "$FAKE_SMOKE_DATA/window.png" "$dir/smoke.png" ;;
  exit)   cp "$FAKE_SMOKE_DATA/window.png" "$dir/smoke.png"; exit 3 ;;
  asan)   cp "$FAKE_SMOKE_DATA/window.png" "$dir/smoke.png"
          echo "==4242==ERROR: AddressSanitizer: heap-use-after-free on address 0x602000000010" >&2 ;;
  ubsan)  cp "$FAKE_SMOKE_DATA/window.png" "$dir/smoke.png"
          echo "src/MainView.cpp:12:5: runtime error: member call on null pointer" >&2 ;;
  blank)  cp "$FAKE_SMOKE_DATA/blank.png" "$dir/smoke.png" ;;
  noshot) ;;
  hang)   exec sleep 600 ;;
  *)      echo "fake: unknown mode '${FAKE_SMOKE_MODE:-}'" >&2; exit 2 ;;
esac
