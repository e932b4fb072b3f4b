# Sourced by the bench launchers: run_driver DRIVER HELPER COUNT [BUILD...]
# Each BUILD is a build folder, named after the folder, or NAME=DIR; without
# one, ./build is measured.  The server and HELPER come from the first build
# that has DRIVER; every build's qtrvns-mgmt and plug-in are measured, side
# by side, inside the tests' private mount namespace.
run_driver() {
    local driver=$1 helper=$2 count=$3
    shift 3
    local here
    here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
    (( $# > 0 )) || set -- "$here/../build"
    local builds=() argument name dir first=
    for argument in "$@"; do
        if [[ "$argument" == *=* ]]; then name=${argument%%=*}; dir=${argument#*=}; else dir=$argument; name=$(basename "$dir"); fi
        dir=$(cd "$dir" && pwd)
        builds+=("$name=$dir")
        [[ -n "$first" || ! -x "$dir/bench/$driver" ]] || first=$dir
    done
    [[ -n "$first" ]] || { echo "no build has bench/$driver" >&2; exit 1; }
    exec "$here/../tests/support/isolate" "$first/bench/$driver" "$first/server/trvns-nsserver" \
        "$first/bench/$helper" "$count" "${builds[@]}"
}
