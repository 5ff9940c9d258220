#!/usr/bin/env bash
# End-to-end check of the name boxes with a real Japanese input method (ibus + mozc in Hiragana
# mode), headless: Xvfb, a window manager (openbox), xdotool for the keys and clicks, AT-SPI for
# reading the boxes and finding the controls, the files on disk for the rename's result.
#
#   bash tools/ime-check.sh [path/to/tolvane]      (default: build/tolvane)
#
# Scenarios, each on a fresh copy of the program and a fresh folder holding a.jpg and b.jpg:
#   a. 前：, type "/" (mozc shows ・), F10 (half-width /), Return: exactly one 注意 box, which
#      Escape closes; the program still runs a few seconds later and 前： is empty.
#   b. 前：, "kyouto", Space, Return (commits 京都); 変換, OK: the files become 京都1.jpg 京都2.jpg.
#   c. 開始番号：, emptied, "12", Return (mozc commits full-width １２); 変換, OK: 12.jpg 13.jpg.
# Prints PASS or FAIL with what was seen for each, exits 1 when one fails. Prints "SKIP: why" and
# exits 0 when the input method cannot be installed or started (not root and packages missing,
# apt-get failing, mozc not running). Screenshots go to $IME_CHECK_SHOTS/check-<time>/.
#
# Knobs: IME_TOOL (default ../shared/tools/ime beside the repository), IME_CHECK_SHOTS (default
# /tmp/ime-shots), IME_CHECK_TIMEOUT (seconds for all scenarios, default 300), IME_CHECK_WM
# (openbox or none: Qt then moves the focus into each box itself), DISP (X display, default: a
# free one from :90 on), IME_USER (default imeuser), IME_CHECK_KEEP=1 keeps the work folder.
# shellcheck disable=SC2317  # helpers called through poll, trap and eval look unreachable
set -u

one_line() { tr '\n' ' ' | sed 's/ *$//'; }

# ---------------------------------------------------------------------------------------------
# Inner part: runs as the input method's user, inside its environment.
# ---------------------------------------------------------------------------------------------
inner() {
    local root=$1
    local bin=$root/bin work=$root/work shots=$root/shots
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1   # the program answers AT-SPI without a screen reader
    local failed=0
    mkdir -p "$work" "$shots"

    now_ms() { local t=${EPOCHREALTIME/./}; echo $((10#$t / 1000)); }
    # poll MILLISECONDS CMD...: CMD every 0.1 s until it succeeds or the time is up.
    poll() {
        local end=$(($(now_ms) + $1)); shift
        while :; do
            "$@" && return 0
            (($(now_ms) >= end)) && return 1
            sleep 0.1
        done
    }
    at() { timeout 15 /usr/bin/python3 "$root/at.py" "$@" 2>/dev/null; }
    shot() { import -window root "$shots/$1.png" 2>/dev/null && echo "$shots/$1.png" >>"$root/shot-list"; }
    # The boxes are counted with one request or a few: a program making boxes by the hundred
    # keeps the X server too busy for reading every window's name in time.
    clients() { xprop -root _NET_CLIENT_LIST 2>/dev/null | sed -n 's/.*# //p' | tr -d ,; }
    boxes() {
        local n id
        # Direct children of the root: every box without a window manager, and those the
        # window manager has not framed yet.
        n=$(xwininfo -root -children 2>/dev/null | grep -c '"注意": (')
        [ "$wm" = openbox ] || { echo "$n"; return; }
        # shellcheck disable=SC2046
        set -- $(clients)
        if [ $# -le 12 ]; then
            for id; do
                xprop -id "$id" _NET_WM_NAME 2>/dev/null | grep -q '= "注意"$' && n=$((n + 1))
            done
        else
            # Too many to read: every window beyond those of a program at rest is a box.
            n=$((n + $# - CLIENTS_AT_REST))
        fi
        echo "$n"
    }
    no_boxes() { [ "$(boxes)" = 0 ]; }
    window_shown() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }
    click() {  # click TITLE ROLE NAME: the mouse on the control's centre, as a user would
        local p
        p=$(at center "$@") || return 1
        # shellcheck disable=SC2086
        xdotool mousemove $p click 1
    }
    text_of() { at text Tolvane "$1"; }
    text_is() {
        local t
        t=$(text_of "$1") || return 1
        [ "$t" = "$2" ]
    }
    listing() { (cd "$1" && LC_ALL=C find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort | one_line); }

    # ---- the program under test -------------------------------------------------------------
    APP=0 APP_DIR="" APP_STATUS=""
    alive() {
        [ -r "/proc/$APP/stat" ] || return 1
        local stat
        stat=$(cat "/proc/$APP/stat" 2>/dev/null) || return 1
        stat=${stat##*) }
        [ "${stat%% *}" != Z ]
    }
    reap() {
        if [ -z "$APP_STATUS" ] && ! alive; then
            wait "$APP" 2>/dev/null
            APP_STATUS=$?
        fi
    }
    describe_status() {
        reap
        if [ -z "$APP_STATUS" ]; then
            echo "running"
        elif [ "$APP_STATUS" -gt 128 ]; then
            echo "ended by SIG$(kill -l $((APP_STATUS - 128)) 2>/dev/null) (status $APP_STATUS)"
        else
            echo "ended with status $APP_STATUS"
        fi
    }
    list_filled() { [ "$(at count Tolvane list 変換するファイル)" = 2 ]; }
    start_app() {  # start_app NAME: a copy of the program whose stored folder holds a.jpg b.jpg
        APP_DIR=$work/$1
        mkdir -p "$APP_DIR/app" "$APP_DIR/photos"
        cp -p "$bin"/* "$APP_DIR/app/"
        : >"$APP_DIR/photos/a.jpg"
        : >"$APP_DIR/photos/b.jpg"
        printf '[Data]\n拡張子=*.jpg\nパス=%s\n' "$APP_DIR/photos" >"$APP_DIR/app/Tolvane.ini"
        APP_STATUS=""
        (cd "$APP_DIR/app" && exec ./tolvane) >"$APP_DIR/app.log" 2>&1 &
        APP=$!
        if ! poll 15000 window_shown Tolvane; then
            echo "   the window did not show within 15 s: $(describe_status); $(tail -3 "$APP_DIR/app.log")"
            return 1
        fi
        reachable() { at center Tolvane text 前： >/dev/null; }
        if ! poll 10000 reachable; then
            # A renamed control is the program's doing; a program missing from AT-SPI is not.
            at app || skip "the window shows but AT-SPI does not reach the program"
            echo "   AT-SPI shows no text box named 前： in the window"
            return 1
        fi
        if ! poll 5000 list_filled; then
            echo "   the list does not hold a.jpg b.jpg: $(at count Tolvane list 変換するファイル) entries"
            return 1
        fi
        # shellcheck disable=SC2046
        set -- $(clients)
        CLIENTS_AT_REST=$#
    }
    # Prints a scenario's verdict and evidence, then ends its program.
    report() {
        echo "   $verdict"
        printf '   - %s\n' "${evidence[@]}"
        [ "$verdict" = PASS ] || failed=1
        stop_app
    }
    stop_app() {
        if alive; then
            kill -TERM "$APP" 2>/dev/null
            poll 5000 eval '! alive' || kill -KILL "$APP" 2>/dev/null
        fi
        # Reaped, the process leaves no single-copy lock for the next start to meet.
        wait "$APP" 2>/dev/null
    }
    skip() {
        stop_app 2>/dev/null
        echo "SKIP: $*"
        exit 0
    }
    focus_box() {  # focus_box NAME: a mouse click into the text box, then wait for its focus
        click Tolvane text "$1" && poll 3000 at focused Tolvane text "$1"
    }

    # ---- a window manager, as on a desktop --------------------------------------------------
    wm=${IME_CHECK_WM:-openbox} CLIENTS_AT_REST=1
    if [ "$wm" = openbox ]; then
        setsid openbox --sm-disable >"$root/openbox.log" 2>&1 </dev/null &
        wm_up() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
        poll 10000 wm_up || skip "openbox did not start: $(tail -2 "$root/openbox.log")"
    fi

    # ---- warm-up: mozc's server starts on the first key, which it then lets through ---------
    start_app warmup || {
        echo "FAIL: the program does not start"
        return 1
    }
    focus_box 後： || skip "cannot focus 後： by a click"
    local engaged=""
    for _ in 1 2 3 4 5; do
        xdotool type a
        sleep 0.5
        if text_is 後： ""; then  # a preedit, not yet text: the input method holds the key
            engaged=yes
            shot warmup
            xdotool key Escape
            break
        fi
        xdotool key End BackSpace
        sleep 1
    done
    if [ -z "$engaged" ]; then
        if pgrep -u "$(id -u)" -x mozc_server >/dev/null; then
            echo "FAIL: mozc runs but 後： takes the typed a as [$(text_of 後：)]: the input method does not reach the box"
            stop_app
            return 1
        fi
        skip "mozc_server did not start (typed a landed in 後： as [$(text_of 後：)])"
    fi
    stop_app

    # ---- a. "/" in 前： ----------------------------------------------------------------------
    local verdict evidence
    echo "a. 前：  / F10 Return (mozc, Hiragana)"
    verdict=PASS evidence=()
    if ! start_app a; then
        verdict=FAIL
    elif ! focus_box 前：; then
        verdict=FAIL evidence+=("cannot focus 前：")
    else
        xdotool type /
        sleep 0.3
        xdotool key F10
        sleep 0.3
        shot a-1-preedit
        local t0 first="" most=0 n
        t0=$(now_ms)
        xdotool key Return
        # Two seconds for the box to come, one more for a second one that should not.
        while (($(now_ms) - t0 < 3000)); do
            n=$(boxes)
            ((n > most)) && most=$n
            [ -z "$first" ] && ((n > 0)) && first=$(($(now_ms) - t0))
            [ -z "$first" ] && (($(now_ms) - t0 >= 2000)) && break
            alive || break
            sleep 0.1
        done
        shot a-2-boxes
        if [ -z "$first" ]; then
            evidence+=("no 注意 box within 2 s")
            verdict=FAIL
        else
            evidence+=("注意 boxes open: $most at most (the first after ${first} ms)")
            ((most == 1)) || verdict=FAIL
            if ((most == 1)); then
                evidence+=("its text: $(at labels 注意 | one_line)")
            fi
        fi
        if ! alive; then
            evidence+=("before Escape the program $(describe_status)")
        else
            xdotool key Escape
            poll 2000 no_boxes || true
            evidence+=("after Escape: $(boxes) open")
            if ! no_boxes; then
                # What a user would do next: press Escape again, a few times.
                verdict=FAIL
                local presses=1
                gone_or_closed() { no_boxes || ! alive; }
                while ((presses < 6)) && alive && ! no_boxes; do
                    xdotool key Escape
                    presses=$((presses + 1))
                    poll 1500 gone_or_closed || true
                done
                evidence+=("after $presses Escapes: $(boxes) open, the program $(describe_status)")
            fi
            # A few seconds later: still running, and no box came back.
            local end=$(($(now_ms) + 3000)) reopened=0
            while (($(now_ms) < end)) && alive; do
                no_boxes || reopened=1
                sleep 0.2
            done
            shot a-3-after-escape
            ((reopened)) && { evidence+=("a box came back after Escape"); verdict=FAIL; }
            evidence+=("3 s after Escape the program is $(describe_status)")
        fi
        if alive; then
            local prefix
            prefix=$(text_of 前：)
            evidence+=("前： = [$prefix]")
            [ -n "$prefix" ] && verdict=FAIL
        else
            verdict=FAIL
        fi
    fi
    report

    # ---- b and c: a text committed by the input method, then a rename -----------------------
    rename_and_check() {  # rename_and_check EXPECTED SHOT: 変換, OK, then the folder's names
        local expected=$1 shown
        if ! window_shown ファイル名変更; then
            if ! no_boxes; then
                evidence+=("a 注意 box is open before 変換: $(at labels 注意 | one_line)")
                return 1
            fi
            click Tolvane "push button" 変換 || { evidence+=("cannot click 変換"); return 1; }
        fi
        confirm_or_warning() { window_shown ファイル名変更 || ! no_boxes; }
        if ! poll 5000 confirm_or_warning; then
            evidence+=("neither the confirmation nor a 注意 box came after 変換")
            return 1
        fi
        if ! no_boxes; then
            shot "$2-warning"
            evidence+=("変換 answered with a 注意 box: $(at labels 注意 | one_line)")
            xdotool key Escape
            return 1
        fi
        shown=$(at labels ファイル名変更 | one_line)
        evidence+=("confirmation: $shown")
        shot "$2-confirm"
        # Cancel is the box's default button: click OK itself.
        click ファイル名変更 "push button" OK || { evidence+=("no OK button"); return 1; }
        names_are() { [ "$(listing "$APP_DIR/photos")" = "$expected" ]; }
        poll 5000 names_are
        local got
        got=$(listing "$APP_DIR/photos")
        shot "$2-done"
        evidence+=("folder now: $got")
        [ "$got" = "$expected" ] || evidence+=("expected:   $expected")
        [ "$got" = "$expected" ]
    }

    echo "b. 前：  kyouto Space Return (京都), 変換, OK"
    verdict=PASS evidence=()
    if ! start_app b; then
        verdict=FAIL
    elif ! focus_box 前：; then
        verdict=FAIL evidence+=("cannot focus 前：")
    else
        xdotool type kyouto
        sleep 0.3
        xdotool key space
        sleep 0.5
        shot b-1-converted
        xdotool key Return
        poll 2000 text_is 前： 京都 || true
        evidence+=("前： = [$(text_of 前：)]")
        rename_and_check "京都1.jpg 京都2.jpg" b-2 || verdict=FAIL
    fi
    alive || { verdict=FAIL; evidence+=("the program $(describe_status)"); }
    report

    echo "c. 開始番号：  End BackSpace×5 12 Return (mozc: １２), 変換, OK, prefix empty"
    verdict=PASS evidence=()
    if ! start_app c; then
        verdict=FAIL
    elif ! focus_box 開始番号：; then
        verdict=FAIL evidence+=("cannot focus 開始番号：")
    else
        # The box's own key filter takes Ctrl+A as a character and drops it: empty the box with
        # End and BackSpace (at most five digits) instead.
        xdotool key End BackSpace BackSpace BackSpace BackSpace BackSpace
        poll 2000 text_is 開始番号： "" || evidence+=("could not empty 開始番号： (holds [$(text_of 開始番号：)])")
        xdotool type 12
        sleep 0.5
        shot c-1-preedit
        xdotool key Return
        poll 2000 text_is 開始番号： 12 || true
        evidence+=("開始番号： = [$(text_of 開始番号：)]")
        rename_and_check "12.jpg 13.jpg" c-2 || verdict=FAIL
    fi
    alive || { verdict=FAIL; evidence+=("the program $(describe_status)"); }
    report

    return "$failed"
}

# The AT-SPI side: find a control by its window's title, role and accessible name.
write_at_helper() {
    cat >"$1" <<'EOF'
import sys, pyatspi

def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        a = desktop.getChildAtIndex(i)
        if a is not None and a.name == 'Tolvane':
            return a

def window(title):
    a = application()
    for i in range(a.childCount if a else 0):
        w = a.getChildAtIndex(i)
        if w.name == title and w.getState().contains(pyatspi.STATE_SHOWING):
            return w

def find(node, role, name):
    if node.getRoleName() == role and node.name == name:
        return node
    for i in range(node.childCount):
        found = find(node.getChildAtIndex(i), role, name)
        if found is not None:
            return found

def control(title, role, name):
    w = window(title)
    found = find(w, role, name) if w else None
    if found is None:
        sys.exit(1)
    return found

cmd, args = sys.argv[1], sys.argv[2:]
if cmd == 'app':               # app -> status 0 when the program is on the AT-SPI bus
    sys.exit(0 if application() else 1)
elif cmd == 'center':          # center TITLE ROLE NAME -> "x y" on the screen
    e = control(*args).queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    if e.width <= 0:
        sys.exit(1)
    print(e.x + e.width // 2, e.y + e.height // 2)
elif cmd == 'focused':         # focused TITLE ROLE NAME -> status 0 when it has the focus
    sys.exit(0 if control(*args).getState().contains(pyatspi.STATE_FOCUSED) else 1)
elif cmd == 'text':            # text TITLE NAME -> the committed text (never the preedit)
    print(control(args[0], 'text', args[1]).queryText().getText(0, -1))
elif cmd == 'count':           # count TITLE ROLE NAME -> number of children (list entries)
    print(control(*args).childCount)
elif cmd == 'labels':          # labels TITLE -> the text of every label, one a line
    def walk(node):
        if node.getRoleName() == 'label' and node.name:
            print(' '.join(node.name.split()))
        for i in range(node.childCount):
            walk(node.getChildAtIndex(i))
    w = window(args[0])
    if w is None:
        sys.exit(1)
    walk(w)
EOF
}

if [ "${1:-}" = --inner ]; then
    inner "$2"
    exit $?
fi

# ---------------------------------------------------------------------------------------------
# Outer part: packages, the input method's stack, a time-out, and cleaning up.
# ---------------------------------------------------------------------------------------------
repo=$(cd "$(dirname "$0")/.." && pwd)
program=$(readlink -f "${1:-$repo/build/tolvane}")
if [ ! -x "$program" ]; then
    echo "ime-check: no built program at ${1:-$repo/build/tolvane}" >&2
    exit 2
fi
ime=${IME_TOOL:-$repo/../shared/tools/ime}
[ -x "$ime" ] || { echo "SKIP: the input method tool is missing ($ime)"; exit 0; }
ime=$(readlink -f "$ime")

packages=(ibus ibus-mozc dbus-x11 xvfb xdotool imagemagick x11-utils x11-xkb-utils
    fonts-ipafont-gothic python3-pyatspi at-spi2-core procps)
[ "${IME_CHECK_WM:-openbox}" = openbox ] && packages+=(openbox)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    [ "$(id -u)" = 0 ] || { echo "SKIP: not root, and missing ${missing[*]}"; exit 0; }
    echo "ime-check: installing ${missing[*]}" >&2
    # Other work trees share this machine's dpkg: wait for its lock instead of failing.
    export DEBIAN_FRONTEND=noninteractive
    apt-get -o DPkg::Lock::Timeout=300 update -qq >/dev/null 2>&1
    "$ime" install >/dev/null 2>&1 ||
        apt-get -o DPkg::Lock::Timeout=300 install -y -qq --no-install-recommends ibus ibus-mozc \
            dbus-x11 xvfb xdotool imagemagick x11-utils x11-xkb-utils fonts-ipafont-gothic >/dev/null 2>&1 ||
        { echo "SKIP: cannot install the input method (apt-get failed)"; exit 0; }
    apt-get -o DPkg::Lock::Timeout=300 install -y -qq --no-install-recommends "${missing[@]}" \
        >/dev/null 2>&1 || { echo "SKIP: cannot install ${missing[*]} (apt-get failed)"; exit 0; }
fi

# A lock whose server is gone is stale: a new server takes the display over.
display_taken() {
    local lock=/tmp/.X$1-lock
    [ -e "$lock" ] && [ -e "/proc/$(tr -d ' ' <"$lock")" ]
}
if [ -z "${DISP:-}" ]; then
    for n in $(seq 90 199); do
        display_taken "$n" || { DISP=:$n; break; }
    done
fi
export DISP
export IME_USER=${IME_USER:-imeuser}
IME_ROOT=$(mktemp -d /tmp/ime-check.XXXXXX)
export IME_ROOT
chmod 755 "$IME_ROOT"
shots_dir=${IME_CHECK_SHOTS:-/tmp/ime-shots}/check-$(date +%Y%m%d-%H%M%S)

cleanup() {
    "$ime" stop >/dev/null 2>&1
    # A server killed while busy leaves its lock and socket behind.
    for _ in $(seq 30); do display_taken "${DISP#:}" && sleep 0.1; done
    display_taken "${DISP#:}" || rm -f "/tmp/.X${DISP#:}-lock" "/tmp/.X11-unix/X${DISP#:}"
    if [ -s "$IME_ROOT/shot-list" ]; then
        mkdir -p "$shots_dir" && cp "$IME_ROOT"/shots/*.png "$shots_dir/" 2>/dev/null &&
            echo "screenshots: $shots_dir/ ($(find "$shots_dir" -name '*.png' -printf '%P\n' | sort | one_line))"
    fi
    if [ "${IME_CHECK_KEEP:-0}" = 1 ]; then
        echo "work folder kept: $IME_ROOT"
    else
        rm -rf "$IME_ROOT"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mkdir -p "$IME_ROOT/bin"
cp "$program" "$IME_ROOT/bin/tolvane"
# readme.html beside the program makes the copy a portable one, with Tolvane.ini beside it.
[ -f "$(dirname "$program")/readme.html" ] && cp "$(dirname "$program")/readme.html" "$IME_ROOT/bin/"
cp "$0" "$IME_ROOT/ime-check.sh"
write_at_helper "$IME_ROOT/at.py"
chmod -R a+rX "$IME_ROOT"

if ! "$ime" start >"$IME_ROOT/start.log" 2>&1 || ! grep -q 'engine now: mozc-jp' "$IME_ROOT/start.log"; then
    echo "SKIP: the input method did not start: $(tail -2 "$IME_ROOT/start.log" | one_line)"
    exit 0
fi
if [ "$(id -u)" = 0 ]; then
    mkdir -p "$IME_ROOT/work" "$IME_ROOT/shots"
    chown "$IME_USER:" "$IME_ROOT" "$IME_ROOT/work" "$IME_ROOT/shots"
fi

echo "ime-check: $program with ibus + mozc (Hiragana), window manager ${IME_CHECK_WM:-openbox}, display $DISP"
limit=${IME_CHECK_TIMEOUT:-300}
timeout -k 5 "$limit" "$ime" run "bash '$IME_ROOT/ime-check.sh' --inner '$IME_ROOT'"
status=$?
if [ "$status" -ge 124 ]; then
    echo "FAIL: time-out: the scenarios took longer than $limit s"
    exit 1
fi
exit "$status"
