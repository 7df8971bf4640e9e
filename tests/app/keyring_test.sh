#!/usr/bin/env bash
# The passwords in a real gnome-keyring on a private session bus of the
# test's own (no service activation, so nothing of the host's is reached or
# started), each client a process of its own made of the real wiring
# (keyring_client.cpp) signing in against the local provider. Exits 77
# (skipped) where a program is missing.
#   keyring_test.sh KEYRING-CLIENT DEVPROVIDER
set -u
client=$1
for program in dbus-daemon dbus-send gnome-keyring-daemon secret-tool; do
  command -v "$program" >/dev/null || { echo "skipped: needs $program (scripts/install-deps)"; exit 77; }
done
scratch=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAILED: $*"; cat "$scratch/said"; exit 1; }

mkdir -m 700 "$scratch/run"
export HOME=$scratch XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data \
  XDG_RUNTIME_DIR=$scratch/run QT_QPA_PLATFORM=offscreen
settings=$XDG_CONFIG_HOME/tidewaterlink/defaults.json
cat >"$scratch/bus.conf" <<EOF
<busconfig><type>session</type><listen>unix:dir=$scratch</listen><auth>EXTERNAL</auth>
<policy context="default"><allow send_destination="*"/><allow receive_sender="*"/>
<allow own="*"/></policy></busconfig>
EOF
{ read -r DBUS_SESSION_BUS_ADDRESS; read -r bus; } < <(dbus-daemon --config-file="$scratch/bus.conf" \
  --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS
pids+=("$bus")
"$2" --port 0 --dir "$scratch/provider" --record "$scratch/requests" >"$scratch/url" 2>/dev/null &
pids+=($!)
for _ in $(seq 1 100); do [ -s "$scratch/url" ] && break; sleep 0.1; done
url=$(sed -n 's/.* on //p' "$scratch/url")

eventually() { for _ in $(seq 1 300); do eval "$1" && return 0; sleep 0.1; done; return 1; }
in_keyring() { secret-tool lookup service Tidewaterlink key "$1"; }
# One client that gets to its main screen, ended once CONDITION holds too.
run_client() {  # CONDITION [USER PASSWORD]
  local condition=$1
  shift
  "$client" "$url" "$scratch/provider/ca.pem" "$@" >"$scratch/out" 2>>"$scratch/said" &
  local pid=$!
  eventually "grep -qx 'main screen' '$scratch/out' && $condition" || fail "$condition"
  kill "$pid"
  wait "$pid"
}
checks() { grep -c "\"/publicapi?method=get_user&username=$1&password=$2\"" "$scratch/requests"; }

# Without a Secret Service the file keeps the password, and the client says so once.
run_client true "john doe" "open sesame"
grep -q '"vpnUserPassword": "open sesame"' "$settings" || fail "the file lost the password"
[ "$(grep -c 'no Secret Service' "$scratch/said")" = 1 ] || fail "not said once"

# Unlocked as a login does. The next start signs in with the file's password
# and moves it into the keyring.
printf throwaway | gnome-keyring-daemon --foreground --unlock --components=secrets >/dev/null &
pids+=($!)
eventually "dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
  org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets | grep -q true" ||
  fail "gnome-keyring-daemon did not come"
: >"$scratch/said"
run_client "! grep -q vpnUserPassword '$settings'"
[ "$(in_keyring vpnUserPassword)" = "open sesame" ] || fail "not moved in"

# A remembered sign-in keeps its password in the keyring alone; the next
# start signs in by itself with it.
rm "$settings"
run_client '[ "$(in_keyring vpnUserPassword)" = demo-pass ]' demo demo-pass
grep -q '"AutoLogin": true' "$settings" || fail "not remembered"
grep -q vpnUserPassword "$settings" && fail "the password is in the file"
run_client true
[ "$(checks john%20doe open%20sesame) $(checks demo demo-pass)" = "2 2" ] || fail "account checks"
grep -q 'tidewaterlink: keyring' "$scratch/said" && fail "complained"
echo "fallback said once; moved in; kept in the keyring; signed in from it"
