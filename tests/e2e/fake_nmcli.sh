#!/bin/sh
# NetworkManager's command line, as far as the client's tools use it, for the
# end-to-end run. It keeps the connections it was given (in a file, as the
# daemon keeps them in memory), records every call with the caller's uid, and
# leaves start and stop requests for the run's stand-in daemon, which owns the
# tunnel device. Never installed outside the run's private /usr/local.
state=/usr/local/share/twl-nm
folder=/etc/NetworkManager/system-connections
printf '%s %s\n' "$(id -u)" "$*" >>"$state/calls"

case "$*" in
"-t -f UUID,NAME connection show")
    cat "$state/connections"
    ;;
"connection delete uuid "*)
    uuid=$4
    grep -q "^$uuid:" "$state/connections" || exit 10
    for file in "$folder"/*; do
        grep -qx "uuid=$uuid" "$file" 2>/dev/null && rm -f "$file"
    done
    grep -v "^$uuid:" "$state/connections" >"$state/kept"
    cat "$state/kept" >"$state/connections"
    ;;
"connection load "*)
    file=$3
    [ -f "$file" ] || exit 10
    cat "$file" >"$state/loaded"
    ls "$folder" >"$state/folder"
    printf '%s:%s\n' "$(sed -n 's/^uuid=//p' "$file")" "$(sed -n 's/^id=//p' "$file")" \
        >>"$state/connections"
    ;;
"--wait 0 connection up id "*)
    cut -d: -f2- "$state/connections" | grep -qxF "$6" || exit 10
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
