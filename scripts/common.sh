# Shared by the project's scripts: where things are and how a build is made.
# shellcheck shell=bash

QUORVANE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export QUORVANE_ROOT

# Compiler cache entries are shared between checkouts of the project.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$QUORVANE_ROOT}"

# configure_tree <folder> [cmake options...]: configures a build tree.
configure_tree() {
    local folder="$1"
    shift
    local launcher=()
    if command -v ccache >/dev/null 2>&1; then
        launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S "$QUORVANE_ROOT" -B "$folder" -G Ninja "${launcher[@]}" "$@" >/dev/null
}

# build_targets <folder> [targets...]: builds; one build at a time on this
# machine, since a build takes every core.
build_targets() {
    local folder="$1"
    shift
    local targets=()
    if (($# > 0)); then
        targets=(--target "$@")
    fi
    flock /tmp/quorvane-build.lock cmake --build "$folder" "${targets[@]}"
}

# build_tree <folder> [cmake options...]: configures and builds everything.
build_tree() {
    configure_tree "$@"
    build_targets "$1"
}

# The plug-in artefacts of a Release tree.
artefacts_of() {
    echo "$1/src/plugin/Quorvane_artefacts/Release"
}
