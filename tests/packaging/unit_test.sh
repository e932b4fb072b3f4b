#!/bin/bash
# The configured systemd unit: its paths follow the install prefix, it runs
# unprivileged with a state folder and the key as a credential, it is
# Type=notify, and systemd-analyze rates its exposure 3.0 or lower.
#   unit_test.sh UNIT SBINDIR
set -uo pipefail
unit=$1 sbindir=$2
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

grep -qx "ExecStart=$sbindir/trvns-nsserver --config /etc/opt/brenvik/qtrvns/nsserver.ini --key %d/server.key" "$unit" ||
    fail "ExecStart does not start $sbindir/trvns-nsserver with the credential key"
for line in Type=notify User=trvns-nsserver StateDirectory=trvns-nsserver \
    LoadCredential=server.key:/etc/opt/brenvik/qtrvns/pki/server.key ProtectSystem=strict \
    NoNewPrivileges=yes PrivateTmp=yes; do
    grep -qx "$line" "$unit" || fail "the unit lacks $line"
done
grep -qE '@[A-Z_]+@' "$unit" && fail "the unit has an unfilled @VARIABLE@"
# --threshold is tenths of the exposure level.
report=$(systemd-analyze security --offline=yes --threshold=30 "$unit" 2>&1) ||
    fail "exposure above 3.0: $(grep -i 'overall exposure' <<<"$report")"
((failures == 0)) && echo "unit: $(grep -i 'overall exposure' <<<"$report")"
exit $((failures > 0))
