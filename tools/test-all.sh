#!/usr/bin/env bash
# Builds and tests everything on a Debian 12 machine, as root: installs what
# is missing, builds the host build, the sanitizer build and the Windows
# build with the setup program, runs the whole suite in each (the Windows
# one under Wine), the end-to-end tests of the program and of its setup under
# Wine, kills backup runs at chosen points (host engine and Tresoro.exe under
# Wine) and checks that they converge, compares the mirror with rsync's over
# random change rounds, and runs the fuzzers of the configuration, the log
# files and the archive's index for a bounded time each. Exits non-zero on any failure.
#
# `--only host,win` runs only the named parts (default: all of them, in
# this order): checks (formatting, the engine's includes), host (build,
# tests, kill points, rsync), asan, tsan, clang, win (build, tests under
# Wine), e2e (program, setup, Wine kills; needs win), fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."

PARTS=checks,host,asan,tsan,clang,win,e2e,fuzz
if [ "${1:-}" = --only ] && [ -n "${2:-}" ]; then
  for part in ${2//,/ }; do
    case ",$PARTS," in *",$part,"*) ;; *) echo "unknown part: $part (parts: $PARTS)"; exit 2 ;; esac
  done
  PARTS=$2
elif [ $# -gt 0 ]; then
  echo "usage: $0 [--only part,part,...]   parts: $PARTS"; exit 2
fi
export WINEDEBUG=-all
want() { case ",$PARTS," in *",$1,"*) return 0 ;; *) return 1 ;; esac; }

FUZZ_SECONDS=${FUZZ_SECONDS:-60}
JOBS=${JOBS:-$(nproc)}

. "$(dirname "${BASH_SOURCE[0]}")/install-packages.sh"
install_packages cmake ninja-build g++ googletest clang libclang-rt-14-dev \
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev wine wine64 \
          xvfb xdotool imagemagick python3 fp-utils fonts-liberation locales rsync strace nsis clang-format-14
# The Windows suite runs once more in German, where Wine names the shell's
# columns and types in the user's language; Wine reads it from the locale.
locale -a | grep -qix 'de_DE.utf8' || localedef -i de_DE -f UTF-8 de_DE.UTF-8

step() { echo; echo "== $*"; }

if want checks; then
step "formatting (.clang-format)"
{ git ls-files '*.cpp' '*.h' 2>/dev/null ||
  find bench core dialogs engine log platform resources tests ui \( -name '*.cpp' -o -name '*.h' \) -print; } |
  xargs -r clang-format-14 --dry-run --Werror

# The engine reaches the window only through its display interface.
step "engine includes no window header"
if grep -ln '#include "platform/gui.h"' engine/*.cpp engine/*.h; then
  echo "engine/ must not include platform/gui.h (use engine/display.h)"; exit 1
fi
fi

if want host; then
step "host build"
cmake --preset host >/dev/null
cmake --build --preset host -j "$JOBS"
step "host tests"
ctest --preset host

step "kill points of the host engine"
python3 tests/reliability/kill_points.py --driver build/host/bench/bench_run_job
step "kill points of the host engine's verify run"
python3 tests/reliability/kill_points.py --driver build/host/bench/bench_run_job --verify
step "differential check of the mirror against rsync"
python3 tests/reliability/rsync_diff.py --driver build/host/bench/bench_run_job
fi

if want asan; then
step "host build with AddressSanitizer and UBSan"
cmake --preset host-asan >/dev/null
cmake --build --preset host-asan -j "$JOBS"
step "host tests under the sanitizers"
ctest --preset host-asan
fi

if want tsan; then
# The walk reads listings on threads of its own: the engine's tests (only
# they; the preset builds and selects them) under ThreadSanitizer.
step "host build with ThreadSanitizer"
cmake --preset host-tsan >/dev/null
cmake --build --preset host-tsan -j "$JOBS"
step "engine tests under ThreadSanitizer"
ctest --preset host-tsan
fi

if want clang; then
# What each thread may touch is stated in the types; clang checks it.
step "thread-safety analysis (clang -Wthread-safety)"
cmake --preset host-clang >/dev/null
cmake --build --preset host-clang -j "$JOBS"
fi

if want win; then
step "Windows build (MinGW-w64)"
cmake --preset win >/dev/null
cmake --build --preset win -j "$JOBS"
step "Windows tests under Wine"
WINEPREFIX="$PWD/build/win/wineprefix" wineboot -i >/dev/null 2>&1 || true
ctest --preset win
fi

if want e2e; then
step "end-to-end tests of Tresoro.exe under Wine"
tests/e2e/run.sh build/win
step "end-to-end tests of the setup program under Wine"
tests/e2e/installer.sh build/win
step "kills of Tresoro.exe under Wine"
python3 tests/reliability/wine_kills.py build/win
step "kills of Tresoro.exe /VERIFY under Wine"
python3 tests/reliability/wine_kills.py build/win --verify
fi

if want fuzz; then
cmake --preset host-fuzz >/dev/null
cmake --build --preset host-fuzz -j "$JOBS" --target config_fuzz load_logs_fuzz archive_index_fuzz
fuzz() {  # fuzz TARGET SEED_CORPUS
  local scratch=build/host-fuzz/corpus-$1
  mkdir -p "$scratch"
  build/host-fuzz/tests/fuzz/$1 -max_total_time="$FUZZ_SECONDS" -max_len=65536 \
    -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 "$scratch" "$2" 2>&1 | tail -n 15
}
step "configuration fuzzer, ${FUZZ_SECONDS} s"
fuzz config_fuzz tests/fuzz/corpus
step "log file fuzzer, ${FUZZ_SECONDS} s"
fuzz load_logs_fuzz tests/fuzz/corpus_logs
step "archive index fuzzer, ${FUZZ_SECONDS} s"
fuzz archive_index_fuzz tests/fuzz/corpus_index
fi

echo
echo "== all builds and tests passed ($PARTS) in ${SECONDS} s"
