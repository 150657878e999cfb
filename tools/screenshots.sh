#!/usr/bin/env bash
# Renders the README's pictures of the main window, its graph windows, the first pages of a PDF
# report, the archive window and its team view, headless, beside the simulated meter.
# Usage: tools/screenshots.sh [build-dir]
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
build=${1:-build}
export QT_QPA_PLATFORM=offscreen
XDG_CONFIG_HOME=$(mktemp -d)
export XDG_CONFIG_HOME
# Every download below is archived here, never in the user's own archive.
export VELUMIN_ARCHIVE="$XDG_CONFIG_HOME/archive.sqlite"
sim=
trap 'kill $sim 2>/dev/null || true; wait 2>/dev/null || true
      tools/pgcluster.sh stop "$XDG_CONFIG_HOME/pgcluster.state"; rm -rf "$XDG_CONFIG_HOME"' EXIT

# A simulated meter on COM7 with the given options, once its port is registered.
start_meter() {
    "$build/tools/meter-sim/meter-sim" --register COM7 "$@" >/dev/null &
    sim=$!
    for _ in $(seq 50); do [ -s "$XDG_CONFIG_HOME/Nuvra/ports.conf" ] && break; sleep 0.1; done
}

stop_meter() {
    kill $sim 2>/dev/null || true
    wait $sim 2>/dev/null || true
    rm -f "$XDG_CONFIG_HOME/Nuvra/ports.conf"
}

"$build/tools/screenshot/velumin-screenshot" docs/screenshots/main-window.png
start_meter
"$build/tools/screenshot/velumin-screenshot" --connect 1 docs/screenshots/connected.png
stop_meter
start_meter --kind CWDM18 --records 8
report="$XDG_CONFIG_HOME/Ruvo730.csv"
"$build/tools/screenshot/velumin-screenshot" --connect 1 --download 2 --save "$report" \
    docs/screenshots/download.png
"$build/tools/screenshot/velumin-screenshot" --open "$report" docs/screenshots/open-data.png
"$build/tools/screenshot/velumin-screenshot" --connect 1 --download 2 --graph 2 \
    docs/screenshots/graph-cwdm18.png
stop_meter
start_meter --kind DWDM96 --records 3
"$build/tools/screenshot/velumin-screenshot" --connect 3 --download 1 --graph 1 \
    docs/screenshots/graph-dwdm96.png
stop_meter
# Last: the limits stay in force in this settings store once they are set.
start_meter --kind CWDM18 --records 8
pdf="$XDG_CONFIG_HOME/report.pdf"
"$build/tools/screenshot/velumin-screenshot" --limits docs/limits-example.json --connect 1 \
    --download 2 --report "$pdf" docs/screenshots/limits.png
# The same report judged for loss too, against record 1, for a customer: its first pages.
"$build/tools/screenshot/velumin-screenshot" --job docs/job-example.json \
    --budget docs/budget-example.json --connect 1 --download 2 --reference 1 \
    --report "$pdf" --loss 2 docs/screenshots/loss.png
"$build/tools/screenshot/velumin-screenshot" --connect 1 --download 2 --graph 2 \
    docs/screenshots/graph-limits.png
# The report's first two pages, as a reader sees them.
pdftoppm -r 60 -f 1 -l 2 -png "$pdf" docs/screenshots/report
# The archive of every download above, and two by velumin-export under a job of their own.
for _ in 1 2; do
    "$build/velumin-export" --port COM7 --type CWDM18 --job "Ring North, site 4" --quiet \
        --limits docs/limits-example.json --csv "$XDG_CONFIG_HOME/job.csv" || [ $? -eq 1 ]
done
stop_meter
"$build/tools/screenshot/velumin-screenshot" --archive "$VELUMIN_ARCHIVE" docs/screenshots/archive.png
# Those downloads pushed to a team archive on a throw-away PostgreSQL server, and its view.
pg="$XDG_CONFIG_HOME/pgcluster.state"
tools/pgcluster.sh start "$pg"
VELUMIN_TEAM_ARCHIVE=$(sed -n 's/^url=//p' "$pg") PGPASSWORD=$(sed -n 's/^password=//p' "$pg")
export VELUMIN_TEAM_ARCHIVE PGPASSWORD
"$build/velumin-export" --push --quiet
"$build/tools/screenshot/velumin-screenshot" --archive "$VELUMIN_ARCHIVE" --source team \
    docs/screenshots/team-archive.png
tools/pgcluster.sh stop "$pg"
