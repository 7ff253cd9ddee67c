#!/usr/bin/env bash
# Installs what is missing, builds in Release, prepares the demo (a seeded
# OpenWorks district and a host project) and starts the data link window on it.
# Without a display the window runs under Xvfb. Close the window (or press
# Ctrl-C) to end the run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${DATALINK_BUILD_DIR:-$root/build}"
demo="${DATALINK_DEMO_DIR:-$build/demo}"

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"

bin="$build/bin"
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR="$demo/runtime"
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
fi
export OWHOME="$demo/openworks"
mkdir -p "$demo/logs"

# The seeded OpenWorks district (the seeder leaves an already seeded one as it is).
"$bin/owsim" seed-demo --home "$OWHOME" --district Demo --project DEMO

# The host project and the project-list file that names it.
"$bin/owdatalink-demo-setup" "$demo/host" "DemoProject" "$demo/VelostratProjects.xml"

project="$demo/host/DemoProject"
arguments=("$project" "$demo/VelostratProjects.xml" 0 0 1 0 0 0 "$demo/logs")

echo "OpenWorks home: $OWHOME (district Demo, project DEMO)"
echo "Host project:   $project"
echo "Log file:       $demo/logs/Velostrat-OpenWorks.log"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: running the data link window under Xvfb (xvfb-run)."
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$bin/owdatalink" "${arguments[@]}"
fi
exec "$bin/owdatalink" "${arguments[@]}"
