#!/usr/bin/env bash
# The Wine session that the Windows test programs run in:
#   wine-session.sh PREFIX start   creates the Wine prefix on first use and starts a wine
#                                  server that stays up between the programs, with Wine's
#                                  own services started apart (their output goes nowhere,
#                                  so they never hold a test's output open)
#   wine-session.sh PREFIX stop    ends it
set -euo pipefail
export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
case $2 in
    start)
        # A server left over from an earlier run, or the one that makes a new prefix, is
        # ended first: only a freshly started one can be told to stay.
        wineserver -k </dev/null >/dev/null 2>&1 || true
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            echo "creating the Wine prefix $WINEPREFIX"
            wineboot -i </dev/null >/dev/null 2>&1
            wineserver -w </dev/null >/dev/null 2>&1
        fi
        wineserver -p 300 </dev/null >/dev/null 2>&1
        wine cmd /c exit </dev/null >/dev/null 2>&1
        echo "wine $(wine --version) ready"
        ;;
    stop)
        wineserver -k </dev/null >/dev/null 2>&1 || true
        ;;
    *)
        echo "usage: $0 PREFIX start|stop" >&2
        exit 2
        ;;
esac
