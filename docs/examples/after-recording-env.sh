#!/bin/sh
# Post-recording command for recording managers that pass the recording's path
# in an environment variable. Point the manager's "command after recording"
# setting at this script; set PATH_VARIABLE to the name of the variable your
# manager fills (RECORDING_PATH here).
#
# Exit status is kalvento-cli's: 0 renamed (or already named), 1 not renamed
# (the file stays as it was; the line on standard output says why), 75 left
# because the schedule service a rename rule needs could not be reached: run
# it again later.
set -eu
cli=${KALVENTO_CLI:-kalvento-cli}
variable=${PATH_VARIABLE:-RECORDING_PATH}

eval "path=\${$variable:-}"
if [ -z "$path" ]; then
  echo "after-recording-env: \$$variable is empty; no recording to rename" >&2
  exit 2
fi
# "--": a path that begins with "-" is still a path.
exec "$cli" rename -- "$path"
