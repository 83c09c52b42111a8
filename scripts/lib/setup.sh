# Shared by the scripts: installs the Debian packages that are missing, then
# configures a build folder. Sourced, not run.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="${KEYHOLDER_BUILD_DIR:-$ROOT/build}"

# What building and running the program needs.
RUN_PACKAGES=(g++ cmake ninja-build qt6-base-dev qt6-webengine-dev xvfb xauth
              fonts-dejavu-core libgl1-mesa-dri xdg-utils pkg-config libsodium-dev
              libcsv-dev libzxcvbn-dev diceware)
# What the tests and benchmarks add.
TEST_PACKAGES=(libbenchmark-dev dbus-daemon)
# What building and checking the Debian package adds.
PACKAGE_TOOLS=(dpkg-dev file desktop-file-utils appstream)
# Everything, for scripts that install all at once.
PACKAGES=("${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}")

install_missing_packages() {
    local missing=() package
    for package in "$@"; do
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

# configure_build [-DNAME=VALUE ...]: configures $BUILD when it is new or when
# one of the given settings (or the CI warning switch) differs from its cache.
configure_build() {
    local werror=OFF
    [ "${CI:-}" = "true" ] && werror=ON
    local settings=(-DKEYHOLDER_WERROR="$werror" "$@") setting name
    local needed="${KEYHOLDER_RECONFIGURE:-0}"
    [ -f "$BUILD/build.ninja" ] || needed=1
    for setting in "${settings[@]}"; do
        name="${setting#-D}"
        name="${name%%=*}"
        grep -q "^$name:[A-Z]*=${setting#*=}\$" "$BUILD/CMakeCache.txt" 2>/dev/null || needed=1
    done
    if [ "$needed" = 1 ]; then
        # A build type given here comes later on the line, so it wins.
        local type=()
        grep -q "^CMAKE_BUILD_TYPE:STRING=." "$BUILD/CMakeCache.txt" 2>/dev/null \
            || type=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
        cmake -S "$ROOT" -B "$BUILD" -G Ninja "${type[@]}" "${settings[@]}"
    fi
}
