# Shared by scripts/run and scripts/test: installs the Debian packages that are
# missing, then configures the build folder. Sourced, not run.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="${KEYHOLDER_BUILD_DIR:-$ROOT/build}"

PACKAGES=(g++ cmake ninja-build qt6-base-dev qt6-webengine-dev xvfb xauth
          fonts-dejavu-core libgl1-mesa-dri libbenchmark-dev xdg-utils
          pkg-config libsodium-dev
          libcsv-dev)

install_missing_packages() {
    local missing=() package
    for package in "${PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
            || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}"
}

configure_build() {
    local werror=OFF
    [ "${CI:-}" = "true" ] && werror=ON
    if [ ! -f "$BUILD/build.ninja" ] || [ "${KEYHOLDER_RECONFIGURE:-}" = 1 ] \
        || ! grep -q "KEYHOLDER_WERROR:BOOL=$werror" "$BUILD/CMakeCache.txt"; then
        cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DKEYHOLDER_WERROR="$werror" -DKEYHOLDER_BUILD_BENCH=ON "$@"
    fi
}
