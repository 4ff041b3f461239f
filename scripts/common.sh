# Shared by scripts/run, scripts/test and scripts/package: Debian packages and the build.
# shellcheck shell=bash

TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR="$TOP/build"
# scripts/run's own folder: the program the operator starts, built for a quick first start.
RUN_DIR="$TOP/build-run"

# Installs the Debian packages given that are not installed yet.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || {
            echo "Missing packages: ${missing[*]}; install them as root (apt-get install ${missing[*]})." >&2
            exit 1
        }
        sudo=(sudo)
    fi
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# g++ brings the AddressSanitizer and UndefinedBehaviorSanitizer run-time libraries with it
# (libasan, liblsan, libubsan through libgcc-12-dev), so the sanitized build needs nothing more.
# libudev-dev and pkg-config let the port list follow adapters as they are plugged in and out.
BUILD_PACKAGES=(cmake make g++ qt6-base-dev fonts-dejavu-core pkg-config libudev-dev)

# cpack's Debian package works out its library dependencies with dpkg-shlibdeps (dpkg-dev),
# which looks at the programs it finds with file. scripts/package needs them, and so does the
# package's test in scripts/test (without them it is skipped).
PACKAGE_PACKAGES=(dpkg-dev file)

# Configures the project: by default in build/, or in the folder given, with any further
# arguments passed on to cmake (scripts/test --sanitize: build-sanitize/ -DTAVIX_SANITIZE=ON).
configure_project() {
    local dir=${1:-$BUILD_DIR}
    [ $# -eq 0 ] || shift
    cmake -S "$TOP" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}

# Configures scripts/run's folder: optimized as build/ is but without debug information, and
# compiled in batches of 14 files (a unity build: two or three batches a library, so both cores
# keep working), without precompiled headers (a batch reads the headers once anyway, and the
# header would be a step on one core before each library); no tests. The developer's build/
# keeps its debug information and its file-by-file rebuilds. A settings file, log, backups and
# simulator states left in build/ by an earlier scripts/run are copied over once.
configure_run() {
    if [ ! -d "$RUN_DIR" ] && [ -d "$BUILD_DIR" ]; then
        mkdir -p "$RUN_DIR"
        local f
        for f in TavixConfig.ini Log.txt backups unit-line.ini unit-modem.ini; do
            [ ! -e "$BUILD_DIR/$f" ] || cp -a "$BUILD_DIR/$f" "$RUN_DIR/"
        done
    fi
    configure_project "$RUN_DIR" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_UNITY_BUILD=ON \
        -DCMAKE_UNITY_BUILD_BATCH_SIZE=14 -DTAVIX_PRECOMPILED_HEADERS=OFF -DBUILD_TESTING=OFF
}

# Builds the targets named in a configured folder: build_targets DIR [TARGET...]; with none
# named, everything (the tests and benchmarks too).
build_targets() {
    local dir=$1
    shift
    if [ $# -eq 0 ]; then
        cmake --build "$dir" -j"$(nproc)"
    else
        cmake --build "$dir" -j"$(nproc)" --target "$@"
    fi
}

# Configures and builds everything, with the arguments of configure_project.
build_project() {
    configure_project "$@"
    build_targets "${1:-$BUILD_DIR}"
}

# Run-time settings of the sanitizers for the programs of a TAVIX_SANITIZE build: stop at the
# first report of any kind, look for leaks at exit, and leave out only the toolkit's own one-time
# allocations listed in scripts/lsan.supp. Qt is built without frame pointers, so allocation
# stacks are taken with the slow unwinder: otherwise they stop inside Qt, before our frames.
sanitizer_environment() {
    export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:fast_unwind_on_malloc=0
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    export LSAN_OPTIONS="suppressions=$TOP/scripts/lsan.supp:print_suppressions=0"
}
