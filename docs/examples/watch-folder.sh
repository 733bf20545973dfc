#!/bin/sh
# Keeps watching folders and renames each recording once it has been closed
# and has not changed for the settle time: for recorders that can neither call
# a command nor move finished files (tuner boxes writing to a network share).
# Run it as a service (kalvento-watch.service); it ends cleanly on SIGTERM.
#
#   watch-folder.sh FOLDER...
#
# SETTLE (seconds, default 60) is how long a closed recording must stay
# unchanged before it is renamed.
set -eu
cli=${KALVENTO_CLI:-kalvento-cli}
exec "$cli" watch --settle "${SETTLE:-60}" -- "$@"
