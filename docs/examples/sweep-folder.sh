#!/bin/sh
# Renames the recordings in a folder that have not been written to for some
# minutes: for a systemd timer or path unit (kalvento-sweep.*) or cron, when
# the recorder cannot call a command itself.
#
#   sweep-folder.sh FOLDER [MINUTES]
#
# MINUTES (default 10) keeps recordings still being written out of reach;
# 0 takes every recording, for recorders that move finished files into the
# folder. A file already named is left alone, so sweeping again is harmless.
set -eu
cli=${KALVENTO_CLI:-kalvento-cli}
if [ $# -lt 1 ]; then
  echo "usage: sweep-folder.sh FOLDER [MINUTES]" >&2
  exit 2
fi
folder=$1
minutes=${2:-10}

set -- "$folder" -maxdepth 1 -type f ! -name '.*' \
  \( -iname '*.ts' -o -iname '*.m2ts' -o -iname '*.mts' \)
if [ "$minutes" -gt 0 ]; then set -- "$@" -mmin "+$minutes"; fi
# One kalvento-cli run for all of them; find says whether every run succeeded.
exec find "$@" -exec "$cli" rename -- {} +
