#!/usr/bin/env bash
# One entry point for a fresh Debian 12 machine:
#   tools/vornik.sh demo   installs what is missing, builds, and runs Vornik against the demo server
#   tools/vornik.sh test   installs what is missing, builds, and runs every test (what CI runs)
#   tools/vornik.sh deps   only installs what is missing
#   tools/vornik.sh check-format, check-layers   the two source checks of `test`, on their own
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"

packages=(cmake ninja-build g++ pkg-config clang-format qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev
          libqt6sql6-sqlite xvfb xauth fonts-dejavu-core)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; elif command -v sudo >/dev/null; then sudo "$@"; else
        echo "Please run as root (or install sudo) to install: ${packages[*]}" >&2; return 1; fi
}

deps() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -eq 0 ]; then
        echo "All packages are installed."
        return 0
    fi
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() { # build dir, extra cmake arguments...
    local dir=$1; shift
    cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
}

check_format() { # every tracked C++ file as the repository's .clang-format lays it out
    echo "== formatting (clang-format --dry-run -Werror) =="
    git -C "$here" ls-files -z -- '*.cpp' '*.h' | (cd "$here" && xargs -0 clang-format --dry-run -Werror)
}

check_layers() { # the logic layer shows nothing: no widget, GUI or window header below src/gui
    echo "== layers (no widget or GUI header in src/core or src/logic) =="
    local found
    found=$(cd "$here" && grep -rnE '#include [<"](Qt(Widgets|Gui|PrintSupport|Multimedia)/|Q(Widget|Application|GuiApplication|MessageBox|FileDialog|Color|Font|Pixmap|Image|Painter|Icon|Label|LineEdit|PushButton|SoundEffect)\b|gui/|app/)' src/core src/logic || true)
    if [ -n "$found" ]; then
        echo "$found" >&2
        echo "src/core and src/logic must not include a widget, GUI or window header." >&2
        return 1
    fi
}

run_tests() { # build dir
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$1" --output-on-failure -j2 --timeout 300
}

case "${1:-}" in
deps)
    deps
    ;;
test)
    deps
    check_format
    check_layers
    build "$here/build/ci" -DVORNIK_WERROR=ON
    run_tests "$here/build/ci"
    if [ "${VORNIK_SKIP_SANITIZE:-0}" != 1 ]; then
        echo "== the same tests built with the address and undefined-behaviour sanitizers =="
        build "$here/build/sanitize" -DVORNIK_WERROR=ON -DVORNIK_SANITIZE=ON -DVORNIK_EXTRAS=OFF \
            -DCMAKE_BUILD_TYPE=Debug
        ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
            run_tests "$here/build/sanitize"
    fi
    ;;
check-format)
    check_format
    ;;
check-layers)
    check_layers
    ;;
demo)
    deps
    build "$here/build/demo"
    exec "$here/tools/demo.sh" "$here/build/demo"
    ;;
*)
    echo "usage: $0 demo|test|deps|check-format|check-layers" >&2
    exit 2
    ;;
esac
