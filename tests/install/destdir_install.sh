#!/usr/bin/env bash
# Installs into a temporary DESTDIR and checks the tree, the desktop entry, the metainfo and the man
# pages; then starts the installed program, its folders read-only, with a temporary HOME: the first
# start creates ~/.local/share/pelimo/ seeded with the defaults, the second keeps what the user
# changed there, and nothing is ever written beside the program.
set -euo pipefail

build="${1:?usage: $0 BUILD-DIRECTORY}"
skip() { echo "SKIP: $*"; exit 77; }
for tool in desktop-file-validate appstreamcli man; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done

work="$(mktemp -d /tmp/pelimo-install.XXXXXX)"
pid=""
cleanup() {
    [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null || true
    chmod -R u+w "$work" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
fail() { echo "FAIL: $*"; for f in "$work"/*.log; do [ -s "$f" ] && { echo "--- $f"; cat "$f"; }; done; exit 1; }

root="$work/root"
usr="$root/usr"
DESTDIR="$root" cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1 || fail "cmake --install"
for file in bin/pelimo bin/pelimo-send share/pelimo/orglng.lng share/pelimo/Language/English.lng \
        share/pelimo/Favories share/pelimo/Picture share/pelimo/Sound \
        share/applications/pelimo.desktop share/metainfo/org.pelimo.pelimo.metainfo.xml \
        share/icons/hicolor/16x16/apps/pelimo.png share/icons/hicolor/256x256/apps/pelimo.png \
        share/man/man1/pelimo.1.gz share/man/man1/pelimo-send.1.gz share/doc/pelimo/copyright; do
    [ -e "$usr/$file" ] || fail "the install lacks /usr/$file"
done
desktop-file-validate "$usr/share/applications/pelimo.desktop" >"$work/validate.log" 2>&1 ||
    fail "desktop-file-validate"
appstreamcli validate --no-net "$usr/share/metainfo/org.pelimo.pelimo.metainfo.xml" \
    >"$work/validate.log" 2>&1 || fail "appstreamcli validate"
rm -f "$work/validate.log"

render() { LC_ALL=C MANWIDTH=200 man --warnings -P cat -l "$usr/share/man/man1/$1.1.gz" 2>"$work/man.log" | col -b; }
for page in pelimo pelimo-send; do
    # Rendered whole first: a grep -q leaving the pipe early would fail it under pipefail.
    rendered="$(render "$page")" || fail "man -l $page.1.gz failed: $(cat "$work/man.log")"
    grep -q "^NAME" <<<"$rendered" || fail "man -l $page.1.gz renders no NAME section"
    [ -s "$work/man.log" ] && fail "man -l $page.1.gz warns"
done
# pelimo-send --help and its page name the same options.
options() { grep -o -- '--[a-z][a-z-]*' | sort -u; }
from_help="$("$usr/bin/pelimo-send" --help | options)"
from_page="$(render pelimo-send | options)"
[ "$from_help" = "$from_page" ] ||
    fail "pelimo-send --help and its page differ:"$'\n'"$(diff <(echo "$from_help") <(echo "$from_page"))"

# The installed program, started as a user would: an own user and network namespace when the
# system allows (the datagram port binds there and nothing meets the machine's network).
chmod -R a-w "$usr"
home="$work/home"
data="$home/.local/share/pelimo"
mkdir "$home"
isolate=()
unshare --user --map-root-user --net true 2>/dev/null && isolate=(unshare --user --map-root-user --net)
start_and_end() {
    env -u XDG_DATA_HOME HOME="$home" QT_QPA_PLATFORM=offscreen "${isolate[@]}" "$usr/bin/pelimo" \
        >"$work/pelimo.log" 2>&1 &
    pid=$!
    # SIGTERM once the program handles it (bit 15 of its caught signals): the shutdown then runs
    # after the start-up, and writes Histo.dat.
    local caught=""
    for _ in $(seq 300); do
        caught="$(sed -n 's/^SigCgt:\t*//p' "/proc/$pid/status" 2>/dev/null)" || true
        [ -n "$caught" ] && (( 0x$caught & 0x4000 )) && break
        caught=""
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    [ -n "$caught" ] || fail "pelimo did not start"
    kill -TERM "$pid"
    local status=0
    for _ in $(seq 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && fail "SIGTERM did not end pelimo"
    wait "$pid" || status=$?
    pid=""
    [ "$status" -eq 0 ] || fail "pelimo exited with status $status"
}

start_and_end
for entry in orglng.lng Language/English.lng Language/French.lng Favories Picture Sound; do
    [ -e "$data/$entry" ] || fail "the first start did not seed $entry"
done
[ -e "$data/Histo.dat" ] || fail "the shutdown did not write Histo.dat into $data"
[ "$(ls -A "$usr/bin")" = "$(printf 'pelimo\npelimo-send')" ] || fail "files were written beside the program"

printf '[Setting]\r\nMessageChannel=mine\r\n' >"$data/Settings.ini"
printf '; changed by the user\r\n' >>"$data/orglng.lng"
rm "$data/Language/French.lng"
cp "$data/orglng.lng" "$work/orglng.expected"
start_and_end
grep -q "MessageChannel=mine" "$data/Settings.ini" || fail "the second start lost the changed Settings.ini"
cmp -s "$data/orglng.lng" "$work/orglng.expected" || fail "the second start replaced the user's orglng.lng"
[ -e "$data/Language/French.lng" ] && fail "the second start brought back a language file the user removed"
echo "PASS"
