#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz harnesses into corpus/<target>/.

Run again after changing a seed; regression inputs found by fuzzing are
added to corpus/<target>/ by hand (named regression-*) and kept."""
import os

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode())


# ini_reader: lookup index (nsserver host, port, certpath; logger log-level;
# "" k; s port), then the file.
CLIENT = "[nsserver]\nhost = 10.1.2.3\nport = 50051\ncertpath = /etc/ca.pem\n"
write("ini_reader", "client-host", b"\x00" + CLIENT.encode())
write("ini_reader", "client-port", b"\x01" + CLIENT.encode())
write("ini_reader", "logger", b"\x03" + b"[logger]\nlog-level = DEBUG\n")
write("ini_reader", "top-level-key", b"\x04" + b"k = v\n[s]\nport=1\n")
write("ini_reader", "comments-and-repeats", b"\x05" + b"# c\n; c\n[s]\n  # port=no\n[t]\nport=0\n[s]\nport = 7 ; x\n")
write("ini_reader", "long-comment-hides-port",
      b"\x01" + b"[nsserver]\n#" + b" " * 291 + b"port = 1\nport = 50051\n")
write("ini_reader", "long-value", b"\x05" + b"[s]\nport=" + b"v" * 300 + b"\n")
write("ini_reader", "nul-and-cr", b"\x05" + b"[s]\r\nport\x00=1\r\nport = 2\r\n")
write("ini_reader", "empty-header", b"\x05" + b"[s]\n[]\nport=kept\n[s\nport=x\n")

# path_trim: the path.
for name, path in [("plain", "/TRVNS/NS1/home"), ("prefix-only", "/TRVNS"), ("glued", "/TRVNSNS1"),
                   ("other-case", "/trvns/NS1"), ("empty", ""), ("double-slash", "/TRVNS//a"),
                   ("not-absolute", "TRVNS/NS1"), ("glued-typo", "/TRVNSPT/keep"),
                   ("prefix-slash", "/TRVNS/")]:
    write("path_trim", name, path)

# user_name: the name, a NUL, the tree-name file (no NUL: no file).
TREE = "# directory service\n   x7q.base.tree-name =   MY_TREE  \n"
for name, data in [("plain", "alice\0" + TREE), ("dotted", ".admin.org.MY_TREE.\0" + TREE),
                   ("domain", "DOM\\alice"), ("ldap", "cn=admin, o = org ,ou=x\0" + TREE),
                   ("ldap-upper", "CN=admin,o=org\0" + TREE), ("no-tree-file", "alice"),
                   ("empty-tree", "alice\0x7q.base.tree-name=\n"),
                   ("tabs-and-cr", "bob\0\n#x7q.base.tree-name=NO\n\tx7q.base.tree-name\t=\t T R \r\n"),
                   ("long-line", "carol\0#" + "x" * 600 + "\nx7q.base.tree-name=LONG\n"),
                   ("first-wins", "dave\0x7q.base.tree-name=ONE\nx7q.base.tree-name=TWO\n"),
                   ("empty-name", "\0" + TREE)]:
    write("user_name", name, data)


# plugin_replies: reply type index, then the reply in wire format.
def varint(n):
    n &= (1 << 64) - 1
    out = bytearray()
    while True:
        b = n & 0x7F
        n >>= 7
        out.append(b | (0x80 if n else 0))
        if not n:
            return bytes(out)


def field(number, value):
    if isinstance(value, int):
        return varint(number << 3) + varint(value)
    data = value.encode() if isinstance(value, str) else value
    return varint(number << 3 | 2) + varint(len(data)) + data


def metadata(name):
    return b"".join([field(1, name), field(2, 512), field(3, 1), field(4, 3), field(5, 42), field(6, 100),
                     field(7, 31536000), field(8, -1)])


write("plugin_replies", "list-contents", b"\x00" + field(1, "a") + field(1, "") + field(2, "b") + field(3, 0))
write("plugin_replies", "objstat", b"\x01" + field(1, metadata("home")) + field(3, 1) + field(4, 1))
write("plugin_replies", "dirstat", b"\x02" + field(1, metadata(".")) + field(1, metadata("child")) + field(3, 1))
write("plugin_replies", "list-all",
      b"\x03" + field(1, field(1, "/NS1/home") + field(2, "j") + field(3, "/vol/p")) + field(3, 1))
write("plugin_replies", "targets",
      b"\x04" + field(1, field(1, "srv") + field(2, "VOL") + field(3, "/p") + field(4, 1) + field(5, 2))
      + field(1, field(4, 7) + field(5, -3)))
write("plugin_replies", "trustees", b"\x05" + field(1, field(1, ".admin.org.T.") + field(2, "g") + field(3, 1)
                                                + field(4, -1)) + field(2, 3))
write("plugin_replies", "namespaces",
      b"\x06" + field(1, field(1, "NS1") + field(2, "c") + field(3, "t") + field(4, 5) + field(5, 1) + field(6, 2)
                      + field(7, 3)))
write("plugin_replies", "cifs-attr", b"\x07" + field(1, "attr") + field(2, 0))
write("plugin_replies", "status-only", b"\x08" + field(1, 17))

# cli_options: library status index, command word index, arguments.
WORDS = ["objstat", "list", "listJunctions", "LJ", "create", "trustee", "purge", "delete", "rename", "move",
         "trustee-grant", "trustee-revoke", "trustee-list", "gettarget", "list-junctions", "list-namespaces",
         "get-cifs-attr", "set-cifs-attr", "createnamespace", "deletenamespace", "purgenamespace",
         "salvagenamespace", "volume", "--help", "-h", "export", "--batch"]
P = "/TRVNS/NS1/home"
CLI = [
    ("objstat", ["-p", P]), ("objstat", ["--path", P, "--json"]),
    ("list", ["-p", P]), ("list", ["-p", P, "-u", "admin.org"]), ("list", ["-n"]), ("list", ["--help"]),
    ("listJunctions", ["-n", "NS1", "-p", "1", "-s", "10"]), ("LJ", ["-n", "NS1"]),
    ("create", ["-d", P + "/new"]),
    ("create", ["-j", "-d", P, "-n", "j1", "-s", "srv", "-v", "VOL", "-t", "/p", "-T", "NFS"]),
    ("create", ["-n", "NS2"]),
    ("trustee", ["-g", "-p", P, "-t", "cn=admin,o=org"]), ("trustee", ["-r", "-p", P, "-t", ".a.b.TREE."]),
    ("purge", ["-n", "NS1"]), ("delete", ["-p", P]), ("rename", ["-o", P, "-n", "new"]),
    ("move", ["-s", P + "/a", "-t", P + "/b"]),
    ("trustee-grant", ["-p", P, "-t", "DOM\\user"]), ("trustee-revoke", ["-p", P, "-t", "user"]),
    ("trustee-list", ["-p", P, "--xml"]), ("gettarget", ["-p", P]), ("list-junctions", ["-p", P]),
    ("list-namespaces", []), ("get-cifs-attr", ["-n", "NS1", "-u", "0"]),
    ("set-cifs-attr", ["-n", "NS1", "-u", "0", "-a", "attr"]), ("createnamespace", ["-n", "NS2"]),
    ("deletenamespace", ["-u", "0", "-n", "NS2"]), ("purgenamespace", ["-u", "0", "-n", "NS2"]),
    ("salvagenamespace", ["-u", "0", "-n", "NS2"]),
    ("volume", ["--add", "VOL", "-s", "srv", "-t", "NFS", "-n", "NS1"]),
    ("volume", ["--modify", "VOL", "-n", "VOL2", "-s", "srv"]), ("volume", ["--remove", "VOL", "-s", "srv"]),
    ("--help", []),
    ("export", ["-n", "NS1"]), ("export", ["-n", "NS1", "-o", "NS1.batch"]),
    ("--batch", ["-"]), ("--batch", ["missing.batch", "--force", "--yes"]),
]
for index, (word, args) in enumerate(CLI):
    for status in (0, 3):
        write("cli_options", "%02d-%s-%d" % (index, word.strip("-"), status),
              bytes([status, WORDS.index(word)]) + "\0".join(args).encode())
write("cli_options", "unknown-word", bytes([0, 255]) + b"frobnicate\0-x")
# A batch file of that name was once left by an earlier input's export -o.
write("cli_options", "regression-batch-reads-no-earlier-export", b"\x98---batch\0lj")

# batch_words: mode byte (even: a command text, the next byte also the cut;
# odd: words separated by NUL bytes).
BATCH_TEXTS = [
    "create -d /TRVNS/NS1/home\n",
    "create -d '/TRVNS/NS1/a b' # comment\n",
    "create -d \"/TRVNS/NS1/it's \\\"q\\\"\"\n",
    "create -j -n j\\ 1 -d /TRVNS/NS1 -v VOL1 -t '/multi\nline'\n",
    "create -d /TRVNS/NS1/two\\\nlines\n",
    "list -n; rm x\n",
    "create -d $HOME\n",
    "create -d 'open\n",
]
for index, text in enumerate(BATCH_TEXTS):
    write("batch_words", "text-%02d" % index, bytes([0]) + text.encode())
write("batch_words", "words-plain", b"\x01create\0-d\0/TRVNS/NS1/home")
write("batch_words", "words-quoted", b"\x01it's\0a b\0\0$HOME\0new\nline\0back\\")

# printable_text: the text (a stored text or an audit value).
PRINTABLE_TEXTS = [
    ("plain", b"/NS1/home/a b"),
    ("quote-backslash", b'a"b\\c'),
    ("non-ascii", "caf\u00e9 \u540d\u524d \U0001F4C1 \u00a0\u2027\u202f".encode()),
    ("c0-del", b"a\x00b\nc\x1b[31m\x7f"),
    ("c1", "a\u0080\u0085\u009b\u009f".encode()),
    ("separators", "a\u2028b\u2029c".encode()),
    ("bidi", "gpj.\u202eexe\u2066x\u2069".encode()),
    ("forged-line", "PROD\u2028trvns-nsserver: audit rpc=PurgeNamespace name=\"PROD\" retCode=0".encode()),
    ("malformed", b"\x85\xc3\xe2\x80\xc0\x80\xed\xa0\x80\xf4\x90\x80\x80\xff"),
]
for name, data in PRINTABLE_TEXTS:
    write("printable_text", name, data)
