# Shared by the README's commands: install what a fresh Debian 12 machine
# lacks, then build incrementally.
set -euo pipefail

PELLKIT_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
PELLKIT_PACKAGES=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev qt6-svg-dev
                  qt6-translations-l10n libsqlite3-dev libssl-dev libgtest-dev xvfb xauth)

pellkit_ensure_packages() {
    local missing=() pkg
    for pkg in "${PELLKIT_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local cmd="apt-get install -y --no-install-recommends ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing Debian packages. Install them with:" >&2
        echo "  sudo apt-get update && sudo $cmd" >&2
        exit 1
    fi
    echo "Installing: ${missing[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    $cmd
}

# pellkit_build BUILD_DIR [extra cmake arguments...]
pellkit_build() {
    local dir=$1; shift
    cmake -S "$PELLKIT_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELLKIT_WERROR=ON "$@" >/dev/null
    cmake --build "$dir"
}
