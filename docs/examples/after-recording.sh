#!/bin/sh
# A post-recording hook for any recorder that can start a command with the
# recording's path and, best, the programme it recorded:
#
#   after-recording.sh PATH PROGRAM_ID
#   after-recording.sh PATH -
#
# PROGRAM_ID is the tuner server's program id (network id x 10^10 + service
# id x 10^5 + event id); it names the file after that programme even when
# another one (a sub-channel's, the one before running late) fills more of
# the recording. "-" says that the recorder does not know it: the programme
# that fills most of the recording names the file then.
#
# The settings and the rename journal: KALVENTO_DIR when set, else those of
# the example units (/etc/kalvento and /var/lib/kalvento). Exit status is
# kalvento-cli's (75: try again later; ship the sweep timer with this hook),
# or 2 for a call without its two arguments.
set -eu
fail() {
  echo "after-recording: $*" >&2
  exit 2
}
if [ -z "${KALVENTO_DIR:-}" ]; then
  export CONFIGURATION_DIRECTORY=/etc/kalvento STATE_DIRECTORY=/var/lib/kalvento
fi
[ $# -eq 2 ] && [ -n "$1" ] || fail "usage: after-recording.sh PATH PROGRAM_ID (or - when it is not known)"
case $2 in
  -) exec kalvento-cli rename -- "$1" ;;
  '' | *[!0-9]*) fail "not a program id: \"$2\"; $1 left as it is" ;;
esac
exec kalvento-cli rename --program-id "$2" -- "$1"
