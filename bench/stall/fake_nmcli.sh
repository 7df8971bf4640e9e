#!/bin/sh
# NetworkManager's command line, as far as the client's tools use it, for the
# stall walk. It keeps the connections it was given (in a file, as the daemon
# keeps them in memory: "uuid|permissions|name" a line) and leaves start and
# stop requests for the walk's stand-in daemon, which owns the tunnel device.
# Mounted over /usr/bin/nmcli in the walk's private mount namespace only.
state=/usr/local/share/twl-nm
folder=/etc/NetworkManager/system-connections

# Starting and stopping take this many seconds when the walk asks for it.
case "$*" in
"--wait 0 connection up "* | "--wait 0 connection down "*)
    if [ -s "$state/start-stop-seconds" ]; then
        sleep "$(cat "$state/start-stop-seconds")"
    fi
    ;;
esac

# The connection's line into $line, or exit 10 as nmcli does for no such
# connection.
known() {
    line=$(grep "^$1|" "$state/connections") || exit 10
}

case "$*" in
"-t -f UUID,NAME connection show")
    sed 's/^\([^|]*\)|[^|]*|/\1:/' "$state/connections"
    ;;
"-g connection.id connection show uuid "*)
    known "$6"
    printf '%s\n' "$line" | cut -d'|' -f3-
    ;;
"-g connection.permissions connection show uuid "*)
    known "$6"
    printf '%s\n' "$line" | cut -d'|' -f2 | sed 's/:/\\:/g'
    ;;
"connection delete uuid "*)
    uuid=$4
    known "$uuid"
    for file in "$folder"/*; do
        grep -qx "uuid=$uuid" "$file" 2>/dev/null && rm -f "$file"
    done
    grep -v "^$uuid|" "$state/connections" >"$state/kept"
    cat "$state/kept" >"$state/connections"
    ;;
"connection load "*)
    file=$3
    [ -f "$file" ] || exit 0
    printf '%s|%s|%s\n' "$(sed -n 's/^uuid=//p' "$file")" \
        "$(sed -n 's/^permissions=\(.*\);$/\1/p' "$file")" "$(sed -n 's/^id=//p' "$file")" \
        >>"$state/connections"
    ;;
"--wait 0 connection up id "*)
    cut -d'|' -f3- "$state/connections" | grep -qxF "$6" || exit 10
    echo up >>"$state/requests"
    ;;
"--wait 0 connection down id "*)
    echo down >>"$state/requests"
    ;;
*)
    echo "nmcli: this stand-in does not know: $*" >&2
    exit 2
    ;;
esac
