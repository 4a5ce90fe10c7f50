# How the scripts report their steps and failures. Sourced by scripts/common.sh.

step() { printf '\n==> %s\n' "$*"; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

# A failing command anywhere says what failed and where (with the calls that led there) before
# the script ends.
report_failure() {
    local status=$1 command=$2 where frame
    where="${BASH_SOURCE[1]:-$0}:${BASH_LINENO[0]}"
    for ((frame = 1; frame < ${#FUNCNAME[@]} - 1; frame++)); do
        where+=" in ${FUNCNAME[frame]}, called from ${BASH_SOURCE[frame + 1]:-$0}:${BASH_LINENO[frame]}"
    done
    # A failing function reports its own "return"; the line it names is then the call.
    [[ $command == return* ]] && command="the command" || command="\"$command\""
    printf '\nerror: %s at %s failed with exit status %s\n' "$command" "$where" "$status" >&2
}
trap 'report_failure $? "$BASH_COMMAND"' ERR

# logged NAME COMMAND...: runs a noisy command with its output in $LOGS/NAME.log; when it fails,
# the log's tail is shown.
logged() {
    local name=$1 status=0
    shift
    mkdir -p "$LOGS"
    "$@" >"$LOGS/$name.log" 2>&1 || status=$?
    if [ "$status" != 0 ]; then
        printf '\nerror: "%s" failed with exit status %s; the last lines of %s:\n' "$*" "$status" "$LOGS/$name.log" >&2
        tail -n 30 "$LOGS/$name.log" >&2
    fi
    return "$status"
}

as_root() {
    if [ "$(id -u)" = 0 ]; then "$@"; elif command -v sudo >/dev/null; then sudo "$@"; else die "need root for: $*"; fi
}
