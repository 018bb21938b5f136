#!/usr/bin/env bash
# Runs one share of a GoogleTest program's tests in as few processes as possible and records the
# result of each test. Usage: scripts/gtest-shard.sh OUT INDEX COUNT PROGRAM [ARGS...]
# The program lists its tests; this share is every COUNT-th one from INDEX on. OUT receives
#   log       everything the program printed,
#   results   one line per test: "passed NAME", "failed NAME" or "skipped NAME",
#   failures  the output of each failed test, from its start to its end.
# A test that ends the program, or prints nothing for NV_TEST_TIMEOUT seconds (120), fails; the
# rest of the share goes on in a new process. A test that fell silent is given one more try in a
# new process first: Wine itself now and then stalls while a fresh process makes its first
# window, and a test that truly hangs hangs again.
set -uo pipefail
out=$1 index=$2 count=$3
shift 3
limit=${NV_TEST_TIMEOUT:-120}
retried=""  # the tests that fell silent once, separated by spaces
mkdir -p "$out"
: >"$out/log"
: >"$out/results"
: >"$out/failures"
part="$out/part"

# Under Wine, ends whatever a stopped or crashed test left running in the prefix.
clear_prefix() {
    [ -z "${WINEPREFIX:-}" ] || /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
}

# Runs the program with extra arguments, its output in $part; stops it when it falls silent.
run() {
    "$@" >"$part" 2>&1 &
    local pid=$!
    {  # the shell's notes on a crash or a kill go nowhere: the test's report tells
        while kill -0 "$pid"; do
            sleep 0.1
            if (($(date +%s) - $(stat -c %Y "$part") > limit)); then
                echo "(nothing printed for $limit s: stopped)" >>"$part"
                kill -9 "$pid"
                clear_prefix
            fi
        done
        wait "$pid"
    } 2>/dev/null
}

run "$@" --gtest_list_tests
# The first program of a fresh Wine session has been seen to end, once in a while on a loaded
# machine, having printed nothing at all: it is asked once more before its tests count as failed.
if ! grep -q . "$part"; then
    echo "(the list of tests came back empty: asked again)" >>"$out/log"
    run "$@" --gtest_list_tests
fi
tr -d '\r' <"$part" >>"$out/log"
mapfile -t listed < <(tr -d '\r' <"$part" | awk '
    /^[^ ]/ { sub(/ +#.*/, ""); suite = /\.$/ ? $0 : ""; next }
    /^  / && suite != "" { sub(/^ +/, ""); sub(/ +#.*/, ""); print suite $0 }' |
    grep -v 'DISABLED_')
if [ ${#listed[@]} -eq 0 ]; then
    echo "failed $* (its tests could not be listed)" >>"$out/results"
    cat "$part" >>"$out/failures"
    exit 1
fi
todo=()
for i in "${!listed[@]}"; do
    ((i % count == index)) && todo+=("${listed[i]}")
done

while [ ${#todo[@]} -gt 0 ]; do
    before=$(wc -l <"$out/results")
    run "$@" --gtest_filter="$(IFS=:; echo "${todo[*]}")"
    tr -d '\r' <"$part" >>"$out/log"
    # Each result line is taken for the test that is running, so gtest's closing list of
    # failures is not counted twice. A test left running when the output ends crashed.
    tr -d '\r' <"$part" | awk -v results="$out/results" -v failures="$out/failures" \
        -v retried=" $retried " -v again="$out/again" '
        /^\[ RUN      \] / { test = substr($0, 14); text = ""; }
        /^\(nothing printed for / { silent = 1 }
        test != "" { text = text $0 "\n" }
        test != "" && index($0, "[       OK ] " test) == 1 { print "passed " test >>results; test = "" }
        test != "" && index($0, "[  SKIPPED ] " test) == 1 { print "skipped " test >>results; test = "" }
        test != "" && index($0, "[  FAILED  ] " test) == 1 {
            print "failed " test >>results; printf "%s\n", text >>failures; test = "" }
        END { if (test != "") {
            if (silent && index(retried, " " test " ") == 0) { print test >again; exit 1 }
            print "failed " test >>results
            printf "%s(the test program ended during this test)\n\n", text >>failures
            exit 1 } }' || clear_prefix
    again=""
    if [ -s "$out/again" ]; then
        again=$(cat "$out/again")
        retried+=" $again"
        rm -f "$out/again"
    fi
    if [ -z "$again" ] && [ "$(wc -l <"$out/results")" -eq "$before" ]; then
        # Nothing ran: the program fails before its first test.
        for test in "${todo[@]}"; do echo "failed $test" >>"$out/results"; done
        { echo "(none of these tests ran: ${todo[*]})"; cat "$part"; echo; } >>"$out/failures"
        break
    fi
    declare -A finished=()
    while read -r _ test; do finished[$test]=1; done <"$out/results"
    left=()
    for test in "${todo[@]}"; do [ -n "${finished[$test]:-}" ] || left+=("$test"); done
    todo=("${left[@]}")
    unset finished
done
rm -f "$part"
! grep -q '^failed ' "$out/results"
