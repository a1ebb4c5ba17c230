#!/usr/bin/env bash
# wayland_session.sh COMMAND [ARGS...]
#
# Runs COMMAND inside a throw-away headless Wayland desktop: sway (software
# rendering, one 1600x1000 output), a private D-Bus session bus, PipeWire and
# xdg-desktop-portal with its wlr and gtk backends, and an idle virtual
# keyboard. COMMAND gets WAYLAND_DISPLAY, SWAYSOCK, DBUS_SESSION_BUS_ADDRESS,
# XDG_RUNTIME_DIR, a fresh HOME with its XDG_* folders and
# QT_QPA_PLATFORM=wayland; DISPLAY is unset, so nothing reaches an X server.
# Everything started here, and whatever those processes leave behind, is
# stopped afterwards and the session's folder is removed.
#
# Exit status: COMMAND's; 77 (skip, with one line on stderr) when the session
# cannot be set up on this machine.
#
# WAYLAND_SESSION_KEEP=1 keeps the session folder (the component logs) for a look.
set -u

# dbus-daemon double-forks the services it activates and wl-copy forks to keep
# serving a copy; as a child subreaper those orphans become ours, so the
# teardown finds and stops them (PID 1 here does not reap them either).
if [ -z "${WAYLAND_SESSION_REAPER:-}" ]; then
    export WAYLAND_SESSION_REAPER=1
    exec /usr/bin/python3 -c 'import ctypes, os, sys
ctypes.CDLL(None).prctl(36, 1, 0, 0, 0)  # PR_SET_CHILD_SUBREAPER
os.execv("/bin/bash", ["bash"] + sys.argv[1:])' "$0" "$@"
fi
unset WAYLAND_SESSION_REAPER

[ $# -gt 0 ] || { echo "usage: $0 COMMAND [ARGS...]" >&2; exit 2; }

skip() { echo "wayland session unavailable: $*" >&2; exit 77; }

for tool in sway swaymsg dbus-daemon gdbus wtype setpriv; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (see scripts/packages.txt)"
done

base=$(mktemp -d /tmp/lustrelab-wayland.XXXXXX) || skip "cannot create a session folder"
chmod 755 "$base"                 # sway, running as another user, reads its config here
runtime=$base/run                 # XDG_RUNTIME_DIR of everything but sway
sway_runtime=$base/sway-run       # sway's own runtime dir
logs=$base/logs
mkdir -p "$runtime" "$sway_runtime" "$logs" "$base/home/.config" "$base/home/.local/share" \
         "$base/home/.local/state" "$base/home/.cache" "$base/home/Pictures"
chmod 700 "$runtime" "$sway_runtime"

descendants() {  # every process below this shell but the $(descendants) subshell
    local self=$BASHPID
    ps -e -o pid=,ppid= | awk -v top=$$ -v self="$self" '
        { parent[$1] = $2 }
        END {
            for (pid in parent) {
                up = pid
                while (up in parent && up != top && up != self) up = parent[up]
                if (up == top && pid != top) print pid
            }
        }'
}

teardown() {
    local status=$? pids round
    trap - EXIT INT TERM HUP
    for round in 1 2 3; do       # stopping one service can orphan another
        pids=$(descendants)
        [ -n "$pids" ] || break
        kill -TERM $pids 2>/dev/null
        for _ in $(seq 20); do
            pids=$(descendants); [ -n "$pids" ] || break; sleep 0.1
        done
        [ -n "$pids" ] && kill -KILL $pids 2>/dev/null
        wait 2>/dev/null
    done
    if [ "${WAYLAND_SESSION_KEEP:-0}" = 1 ]; then
        echo "wayland session kept in $base" >&2
    else
        rm -rf "$base"
    fi
    exit "$status"
}
trap teardown EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

wait_until() {  # wait_until SECONDS CMD...: polls CMD every 0.1 s
    local tries=$(($1 * 10)); shift
    until "$@" >/dev/null 2>&1; do
        tries=$((tries - 1)); [ $tries -gt 0 ] || return 1
        sleep 0.1
    done
}

unset DISPLAY WAYLAND_DISPLAY WAYLAND_SOCKET SWAYSOCK I3SOCK DBUS_SESSION_BUS_ADDRESS
export HOME=$base/home XDG_RUNTIME_DIR=$runtime \
       XDG_CONFIG_HOME=$base/home/.config XDG_DATA_HOME=$base/home/.local/share \
       XDG_STATE_HOME=$base/home/.local/state XDG_CACHE_HOME=$base/home/.cache \
       XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=sway XDG_SESSION_DESKTOP=sway \
       NO_AT_BRIDGE=1

# ---- sway: it refuses to run as root, so as root it runs as nobody with its
# own runtime dir, and its sockets are linked into ours (root may use them).
as_user=()
if [ "$(id -u)" = 0 ]; then
    chown nobody:nogroup "$sway_runtime"
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
cat >"$base/sway.conf" <<'EOF'
output HEADLESS-1 mode 1600x1000 position 0 0 scale 1
default_border none
default_floating_border none
focus_follows_mouse no
xwayland disable
swaybg_command -
EOF
chmod 644 "$base/sway.conf"
( cd / && exec env HOME=/nonexistent XDG_CONFIG_HOME=/nonexistent XDG_RUNTIME_DIR="$sway_runtime" \
      WLR_BACKENDS=headless WLR_HEADLESS_OUTPUTS=1 WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
      "${as_user[@]}" sway -c "$base/sway.conf" ) >"$logs/sway.log" 2>&1 &
sway_pid=$!
sway_socket() { compgen -G "$sway_runtime/wayland-[0-9]" || compgen -G "$sway_runtime/wayland-[0-9][0-9]"; }
ipc_socket() { compgen -G "$sway_runtime/sway-ipc.*.sock"; }
for _ in $(seq 100); do
    ipc_socket >/dev/null && sway_socket >/dev/null && break
    if ! kill -0 $sway_pid 2>/dev/null; then
        why=$(grep -iE 'error|refus|unable' "$logs/sway.log" | tail -n1)
        skip "sway exited: ${why:-$(tail -n1 "$logs/sway.log")}"
    fi
    sleep 0.1
done
sway_socket >/dev/null && ipc_socket >/dev/null || skip "sway did not open its sockets within 10 s"
export WAYLAND_DISPLAY=$(basename "$(sway_socket | head -n1)")
ln -s "$sway_runtime/$WAYLAND_DISPLAY" "$runtime/$WAYLAND_DISPLAY"
export SWAYSOCK=$(ipc_socket | head -n1)
wait_until 10 sh -c 'swaymsg -t get_outputs | grep -q HEADLESS-1' || skip "sway has no output"

# ---- the session bus, started after sway so the services it activates (the
# permission store, the document portal) see WAYLAND_DISPLAY.
dbus-daemon --session --nofork --nopidfile --nosyslog --address="unix:path=$runtime/bus" \
    --print-address=3 3>"$base/bus-address" >"$logs/dbus.log" 2>&1 &
wait_until 10 test -s "$base/bus-address" || skip "dbus-daemon did not start"
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$base/bus-address")

on_bus() {
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner "$1" | grep -q true
}
start_service() {  # start_service BUS_NAME PROGRAM [ARGS...]
    local name=$1; shift
    [ -x "$1" ] || skip "$1 is not installed (see scripts/packages.txt)"
    "$@" >"$logs/$(basename "$1").log" 2>&1 &
    wait_until 10 on_bus "$name" || skip "$(basename "$1") did not appear on the session bus"
}

# ---- the desktop portal, as a sway desktop has it. The wlr backend gives
# Screenshot and ScreenCast (it will not start without PipeWire); the portal
# only offers Screenshot when a backend also has the Access dialog, which the
# gtk backend brings. There is no GlobalShortcuts backend for sway.
command -v pipewire >/dev/null || skip "pipewire is not installed (see scripts/packages.txt)"
pipewire >"$logs/pipewire.log" 2>&1 &
wait_until 10 test -S "$runtime/pipewire-0" || skip "pipewire did not start"
mkdir -p "$XDG_CONFIG_HOME/xdg-desktop-portal-wlr"
printf '[screencast]\noutput_name=HEADLESS-1\nchooser_type=none\n' \
    >"$XDG_CONFIG_HOME/xdg-desktop-portal-wlr/config"
start_service org.freedesktop.impl.portal.desktop.wlr /usr/libexec/xdg-desktop-portal-wlr
GDK_BACKEND=wayland start_service org.freedesktop.impl.portal.desktop.gtk /usr/libexec/xdg-desktop-portal-gtk
start_service org.freedesktop.portal.Desktop /usr/libexec/xdg-desktop-portal
# Nobody can answer a permission dialog here: let unsandboxed programs take
# screenshots without asking, as a user who said yes once would.
gdbus call --session --dest org.freedesktop.impl.portal.PermissionStore \
    --object-path /org/freedesktop/impl/portal/PermissionStore \
    --method org.freedesktop.impl.portal.PermissionStore.SetPermission \
    screenshot true screenshot '' "['yes']" >/dev/null 2>>"$logs/dbus.log" \
    || skip "the portal's permission store did not answer"

# ---- a keyboard on the seat for the whole session. Each wtype call brings a
# virtual keyboard of its own that lasts only for that call; with no keyboard
# in between, a window shown again later (as after a capture) is never given
# keyboard focus, and the keys typed at it are lost.
wtype -s 600000 >"$logs/wtype.log" 2>&1 &
wait_until 5 sh -c 'swaymsg -t get_inputs | grep -q "\"type\": \"keyboard\""' \
    || skip "the virtual keyboard did not appear on sway's seat"

export QT_QPA_PLATFORM=wayland WAYLAND_SESSION_LOGS=$logs
"$@" &
wait $!
