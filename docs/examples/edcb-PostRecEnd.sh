#!/bin/sh
# EDCB on Unix: the post-recording batch. Install it executable as
# PostRecEnd.sh in EDCB's folder (beside EpgTimerSrv's settings):
#
#   install -m 755 edcb-PostRecEnd.sh /var/local/edcb/PostRecEnd.sh
#
# EpgTimerSrv runs it from that folder without arguments, in its own
# environment with the macros added: FilePath (the recording), ONID10, SID10
# and EID10 (its network, service and event id in decimal), Title, .... The
# three ids name the file after the programme recorded even when another one
# (a sub-channel's, the one before running late) fills more of the recording.
#
# The settings and the rename journal: KALVENTO_DIR when EpgTimerSrv's
# environment sets it, else those of the example units (/etc/kalvento and
# /var/lib/kalvento). A recording without the macros is left as it is, with
# exit status 2.
set -eu
fail() {
  echo "PostRecEnd.sh: $*" >&2
  exit 2
}
if [ -z "${KALVENTO_DIR:-}" ]; then
  export CONFIGURATION_DIRECTORY=/etc/kalvento STATE_DIRECTORY=/var/lib/kalvento
fi
[ -n "${FilePath:-}" ] || fail "FilePath is not set: run this as EDCB's PostRecEnd.sh"
for id in "${ONID10:-}" "${SID10:-}" "${EID10:-}"; do
  case $id in
    '' | *[!0-9]*) fail "ONID10, SID10 and EID10 must be ids (\"${ONID10:-}\", \"${SID10:-}\", \"${EID10:-}\"); $FilePath left as it is" ;;
  esac
done
# The tuner server's program id: network x 10^10 + service x 10^5 + event.
exec kalvento-cli rename --program-id "$((ONID10 * 10000000000 + SID10 * 100000 + EID10))" -- "$FilePath"
