#!/bin/bash
# The man pages render without a warning, and qtrvns-mgmt(1) documents every
# command word and option that the completion offers, the exit statuses,
# the log and the connection troubleshooting.
#   manpages_test.sh MAN_DIR COMPLETION_FILE
set -uo pipefail
man_dir=$1 completion=$2
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for page in "$man_dir"/qtrvns-mgmt.1 "$man_dir"/trvns-nsserver.8 "$man_dir"/trvns_mgmt.3; do
    [[ -f $page ]] || { fail "$page is missing"; continue; }
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "$(basename "$page") renders with warnings: $warnings"
    grep -q '@PROJECT_VERSION@' "$page" && fail "$(basename "$page") has no version filled in"
done

# The rendered text of qtrvns-mgmt(1), without hyphenation or line breaks
# inside words.
text=$(LC_ALL=C.UTF-8 MANWIDTH=4000 man -l "$man_dir/qtrvns-mgmt.1" 2>/dev/null | col -b)
words=$(bash -c 'source "$1"; echo ${!_qtrvns_mgmt_options[*]} ${!_qtrvns_mgmt_groups[*]}
    printf "%s\n" "${_qtrvns_mgmt_options[@]}" "${_qtrvns_mgmt_groups[@]}" "${_qtrvns_mgmt_group_options[@]}"' _ "$completion")
for word in $words; do
    grep -qe "$word" <<<"$text" || fail "qtrvns-mgmt(1) does not mention '$word'"
done
for needle in "EXIT STATUS" "POSIX" "raw status" "modulo 256" "journalctl -t QTRVNS-MGMT" \
    "DEBUG" "CRITICAL" "Failed to establish connection with Namespace service!" \
    "/etc/opt/brenvik/qtrvns/qtrvnsclientconfig.ini" "/etc/opt/brenvik/qtrvns/qtrvnsconfig.ini" "--version"; do
    grep -qF -- "$needle" <<<"$text" || fail "qtrvns-mgmt(1) lacks '$needle'"
done

((failures == 0)) && echo "man pages: all checks passed"
exit $((failures > 0))
