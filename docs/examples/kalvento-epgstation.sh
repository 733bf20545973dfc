#!/bin/sh
# EPGStation's recordingFinishCommand (config.yml):
#
#   recordingFinishCommand: '/usr/local/bin/kalvento-epgstation'
#
# EPGStation splits that string at blanks, runs it without a shell (so
# "VAR=value command" does not work there), throws its output away and
# replaces the environment by its own variables: PATH, RECPATH (the
# recording), PROGRAMID (the tuner server's program id of the programme
# recorded), CHANNELID, NAME, STARTAT, ...; no HOME, no LANG. The program id
# names the file after that programme even when another one (a sub-channel's,
# the one before running late) fills more of the recording.
#
# The settings and the rename journal are those of the example units
# (/etc/kalvento and /var/lib/kalvento), since EPGStation passes no HOME; a
# folder given as the one argument is used instead (KALVENTO_DIR):
#
#   recordingFinishCommand: '/usr/local/bin/kalvento-epgstation /srv/kalvento'
#
# A recording without RECPATH or a program id (a recording by time has none)
# is left as it is, with exit status 2; EPGStation logs the exit status.
set -eu
fail() {
  echo "kalvento-epgstation: $*" >&2
  exit 2
}
if [ $# -gt 0 ]; then
  export KALVENTO_DIR="$1"
else
  export CONFIGURATION_DIRECTORY=/etc/kalvento STATE_DIRECTORY=/var/lib/kalvento
fi

# EPGStation passes a missing value as the text "null".
case ${RECPATH:-null} in
  null) fail "RECPATH is not set: run this as EPGStation's recordingFinishCommand" ;;
esac
case ${PROGRAMID:-null} in
  null | *[!0-9]*) fail "no program id in PROGRAMID (\"${PROGRAMID:-}\"), $RECPATH left as it is" ;;
esac
# The program id holds the channel's id (network x 100000 + service).
if [ -n "${CHANNELID:-}" ] && [ "$((PROGRAMID / 100000))" != "$CHANNELID" ]; then
  fail "PROGRAMID $PROGRAMID is not of channel $CHANNELID, $RECPATH left as it is"
fi
exec kalvento-cli rename --program-id "$PROGRAMID" -- "$RECPATH"
