#!/bin/bash
# The bash completion of qtrvns-mgmt offers the command words, the group
# options and each command's options, and every word it offers is one the
# program knows.
#   completion_test.sh COMPLETION_FILE QTRVNS_MGMT
set -uo pipefail
completion=$1 program=$2

# shellcheck disable=SC1091
source /usr/share/bash-completion/bash_completion
# shellcheck disable=SC1090
source "$completion"

# Completes LINE (the cursor at its end) and prints the offers, sorted.
complete_line() {
    local line=$1
    read -r -a COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$line COMP_POINT=${#line}
    COMPREPLY=()
    _qtrvns_mgmt
    printf '%s\n' "${COMPREPLY[@]}" | sort | xargs
}

failures=0
expect() {
    local line=$1 want
    want=$(printf '%s\n' $2 | sort | xargs)
    local got
    got=$(complete_line "$line")
    if [[ $got != "$want" ]]; then
        echo "FAIL: '$line'"
        echo "   want: $want"
        echo "   got:  $got"
        failures=$((failures + 1))
    fi
}

# line | offers
expect "qtrvns-mgmt cr" "create createnamespace"
expect "qtrvns-mgmt trustee" "trustee trustee-grant trustee-list trustee-revoke"
expect "qtrvns-mgmt --v" "--version"
expect "qtrvns-mgmt create " "-d --directory -j --junction -n --namespace -h --help"
expect "qtrvns-mgmt create -j --target-" "--target-path --target-server --target-type --target-volume"
expect "qtrvns-mgmt create --junction -n j1 -" "-n --name -d --directory -v --target-volume -s --target-server -t --target-path -T --target-type -h --help"
expect "qtrvns-mgmt create -j -n " ""
expect "qtrvns-mgmt list " "-p --path -u --user -n --namespaces -h --help"
expect "qtrvns-mgmt list -n -" "-h --help"
expect "qtrvns-mgmt list -p /TRVNS/NS1 -" "-u --user -h --help"
expect "qtrvns-mgmt trustee -r -" "-p --path -t --trustee -h --help"
expect "qtrvns-mgmt volume " "-a --add -m --modify -r --remove"
expect "qtrvns-mgmt volume -r VOL1 -" "-s --server -t --type -h --help"
expect "qtrvns-mgmt volume --modify VOL1 -" "-n --new-name -s --server -t --type -h --help"
expect "qtrvns-mgmt move -" "-s --obj-to-move -t --dest-folder -h --help"
expect "qtrvns-mgmt lj --page" "--pagenum --pagesize"
expect "qtrvns-mgmt objstat --" "--path --json --xml --text --help"
expect "qtrvns-mgmt set-cifs-attr -n NS1 --a" "--attr"
expect "qtrvns-mgmt rename -o " ""
expect "qtrvns-mgmt exp" "export"
expect "qtrvns-mgmt export -" "-n --namespace -o --output -h --help"
expect "qtrvns-mgmt --b" "--batch"
expect "qtrvns-mgmt --batch setup.batch --" "--force --yes --help"

# File names where a file is named: the batch file, and export's output.
scratch=$(mktemp -d)
touch "$scratch/setup.batch" "$scratch/other.txt"
(
    cd "$scratch" || exit 1
    failures=0
    expect "qtrvns-mgmt --batch setup" "setup.batch"
    expect "qtrvns-mgmt export -n NS1 -o oth" "other.txt"
    exit $failures
) || failures=$((failures + $?))
rm -rf "$scratch"

# Every command word offered is one the program dispatches.
for word in $(complete_line "qtrvns-mgmt "); do
    if "$program" "$word" -h 2>&1 | grep -q "Unknown command"; then
        echo "FAIL: completion offers '$word', which qtrvns-mgmt does not know"
        failures=$((failures + 1))
    fi
done
for word in create list trustee purge volume objstat listJunctions lj delete rename move gettarget \
    trustee-grant trustee-revoke trustee-list list-junctions list-namespaces get-cifs-attr set-cifs-attr \
    createnamespace deletenamespace purgenamespace salvagenamespace export --batch; do
    grep -qw -- "$word" <<<"$(complete_line "qtrvns-mgmt ")" || {
        echo "FAIL: command word '$word' is not offered"
        failures=$((failures + 1))
    }
done
((failures == 0)) && echo "completion: all cases passed"
exit $((failures > 0))
