#!/bin/bash
# From an installed tree only (cmake --install into a scratch DESTDIR): the C
# example builds with pkg-config and with find_package(trvnsmgmt), and both
# builds list the namespaces of a real server through the installed plug-in.
# Also: every exported name of the library carries the version TRVNSMGMT_1.0,
# and bash-completion finds the installed completion.
# Runs inside tests/support/isolate (/etc/opt and /opt are scratch).
#   devfiles_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1 source=$2
scratch=$(mktemp -d)
server_pid=
cleanup() {
    [[ -n $server_pid ]] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

tree=$scratch/tree
DESTDIR=$tree cmake --install "$build" --prefix /usr/local >/dev/null
prefix=$tree/usr/local
libdir=$(dirname "$(find "$prefix" -name 'libtrvnsmgmt.so' | head -1)")
[[ -f $prefix/include/trvns_mgmt.h ]] || fail "header not installed"
schema=$prefix/share/qtrvns-mgmt/json/qtrvns-mgmt-output.schema.json
python3 -c 'import json, sys; json.load(open(sys.argv[1]))' "$schema" || fail "JSON Schema not installed"

echo "-- symbol versions"
header_names=$(grep -oE '^TRVNS_(EXPORT|PRINTER_API) [^(]*\(' "$prefix/include/trvns_mgmt.h" |
    sed -E 's/.*[ *]([A-Za-z_0-9]+)\($/\1/' | sort -u)
exported=$(readelf --dyn-syms -W "$libdir/libtrvnsmgmt.so" | awk '$7 != "UND" && $5 == "GLOBAL" {print $8}')
for name in $header_names; do
    grep -qx "$name@@TRVNSMGMT_1.0" <<<"$exported" || fail "$name is not exported as $name@@TRVNSMGMT_1.0"
done
unversioned=$(grep -v '@@TRVNSMGMT_1.0$' <<<"$exported" | grep -vx 'TRVNSMGMT_1.0' || true)
[[ -z $unversioned ]] || fail "exports without the version: $unversioned"

echo "-- pkg-config"
export PKG_CONFIG_SYSROOT_DIR=$tree PKG_CONFIG_LIBDIR=$libdir/pkgconfig
[[ $(pkg-config --modversion trvnsmgmt) =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "trvnsmgmt.pc has no version"
# shellcheck disable=SC2046
cc -std=c99 -Wall -Wextra -Werror "$source/docs/example/list_namespaces.c" \
    $(pkg-config --cflags --libs trvnsmgmt) -o "$scratch/with-pkg-config"
unset PKG_CONFIG_SYSROOT_DIR PKG_CONFIG_LIBDIR

echo "-- find_package"
cmake -S "$source/docs/example" -B "$scratch/cmake-build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_C_FLAGS="-Wall -Wextra -Werror" >/dev/null
cmake --build "$scratch/cmake-build" >/dev/null

echo "-- completion is where bash-completion looks"
XDG_DATA_DIRS=$prefix/share bash -c 'source /usr/share/bash-completion/bash_completion
    __load_completion qtrvns-mgmt && complete -p qtrvns-mgmt' | grep -q _qtrvns_mgmt ||
    fail "bash-completion does not load the installed completion"

echo "-- both builds against a real server, through the installed plug-in"
pki=$scratch/pki
mkdir "$pki"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=test CA" -keyout "$pki/ca.key" -out "$pki/ca.pem" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj /CN=localhost -keyout "$pki/server.key" -out "$pki/server.csr" 2>/dev/null
printf 'subjectAltName=IP:127.0.0.1\n' > "$pki/san.ext"
openssl x509 -req -in "$pki/server.csr" -CA "$pki/ca.pem" -CAkey "$pki/ca.key" -set_serial 1 -days 2 \
    -extfile "$pki/san.ext" -out "$pki/server.pem" 2>/dev/null
export LD_LIBRARY_PATH=$libdir
"$tree/usr/local/sbin/trvns-nsserver" --listen 127.0.0.1:0 --port-file "$scratch/port" --cert "$pki/server.pem" \
    --key "$pki/server.key" --database "$scratch/ns.db" 2>"$scratch/server.log" &
server_pid=$!
for _ in $(seq 100); do [[ -s $scratch/port ]] && break; sleep 0.1; done
[[ -s $scratch/port ]] || fail "server did not start: $(cat "$scratch/server.log")"
cp "$tree/opt/brenvik/qtrvns/plugins/libremoteops.so" /opt/brenvik/qtrvns/plugins/
printf '[nsserver]\nhost = 127.0.0.1\nport = %s\ncertpath = %s\n' "$(cat "$scratch/port")" "$pki/ca.pem" \
    > /etc/opt/brenvik/qtrvns/qtrvnsclientconfig.ini
"$tree/usr/local/bin/qtrvns-mgmt" create -n DevFiles1 >/dev/null || fail "installed qtrvns-mgmt cannot create a namespace"
for program in "$scratch/with-pkg-config" "$scratch/cmake-build/list_namespaces"; do
    output=$("$program") || fail "$program failed: $output"
    grep -qx DevFiles1 <<<"$output" || fail "$program does not list the namespace: $output"
done
echo "developer files: all checks passed"
