#!/usr/bin/env bash
# Builds and tests everything on a Debian 12 machine, as root: installs what
# is missing, builds the host build, the sanitizer build and the Windows
# build with the setup program, runs the whole suite in each (the Windows
# one under Wine), the end-to-end tests of the program and of its setup under
# Wine, and the configuration fuzzer for a bounded time. Exits non-zero on
# any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

FUZZ_SECONDS=${FUZZ_SECONDS:-60}
JOBS=${JOBS:-$(nproc)}

. "$(dirname "${BASH_SOURCE[0]}")/install-packages.sh"
install_packages cmake ninja-build g++ googletest clang libclang-rt-14-dev \
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev wine wine64 \
          xvfb xdotool imagemagick python3 fp-utils nsis

step() { echo; echo "== $*"; }

step "host build"
cmake --preset host >/dev/null
cmake --build --preset host -j "$JOBS"
step "host tests"
ctest --preset host

step "host build with AddressSanitizer and UBSan"
cmake --preset host-asan >/dev/null
cmake --build --preset host-asan -j "$JOBS"
step "host tests under the sanitizers"
ctest --preset host-asan

step "Windows build (MinGW-w64)"
cmake --preset win >/dev/null
cmake --build --preset win -j "$JOBS"
step "Windows tests under Wine"
export WINEDEBUG=-all
WINEPREFIX="$PWD/build/win/wineprefix" wineboot -i >/dev/null 2>&1 || true
ctest --preset win
step "end-to-end tests of Tresoro.exe under Wine"
tests/e2e/run.sh build/win
step "end-to-end tests of the setup program under Wine"
tests/e2e/installer.sh build/win

step "configuration fuzzer, ${FUZZ_SECONDS} s"
cmake --preset host-fuzz >/dev/null
cmake --build --preset host-fuzz -j "$JOBS" --target config_fuzz
scratch=build/host-fuzz/corpus
mkdir -p "$scratch"
build/host-fuzz/tests/fuzz/config_fuzz -max_total_time="$FUZZ_SECONDS" -max_len=65536 \
  -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 "$scratch" tests/fuzz/corpus 2>&1 | tail -n 15

echo
echo "== all builds and tests passed in ${SECONDS} s"
