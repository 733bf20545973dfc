#!/bin/sh
# Chinachu's recordedCommand (config.json):
#
#   "recordedCommand": "/usr/local/bin/kalvento-chinachu"
#
# Chinachu starts it without a shell, in its own environment, as
#
#   kalvento-chinachu RECPATH PROGRAM_JSON
#
# where the JSON is the programme recorded: "id" is the tuner server's
# program id in base 36 and "channel" holds the service id as "sid". The
# program id names the file after that programme even when another one (a
# sub-channel's, the one before running late) fills more of the recording.
# Reading the JSON needs jq.
#
# The settings and the rename journal: KALVENTO_DIR when Chinachu's
# environment sets it, else those of the example units (/etc/kalvento and
# /var/lib/kalvento). A call without the path or the programme's id is left
# as it is, with exit status 2.
set -eu
fail() {
  echo "kalvento-chinachu: $*" >&2
  exit 2
}
if [ -z "${KALVENTO_DIR:-}" ]; then
  export CONFIGURATION_DIRECTORY=/etc/kalvento STATE_DIRECTORY=/var/lib/kalvento
fi
[ $# -eq 2 ] && [ -n "$1" ] || fail "usage: kalvento-chinachu RECPATH PROGRAM_JSON (as Chinachu's recordedCommand)"
command -v jq >/dev/null || fail "jq is needed to read the programme; $1 left as it is"

# "<program id> <service id>", the id turned from base 36 to decimal (exact:
# program ids stay far below 2^53).
ids=$(printf '%s' "$2" | jq -r '
  (.id | select(type == "string") | ascii_downcase | select(test("^[0-9a-z]+$"))) as $id
  | (.channel.sid | select(type == "number")) as $sid
  | ($id | explode | reduce .[] as $c (0; . * 36 + (if $c >= 97 then $c - 87 else $c - 48 end))) as $pid
  | "\($pid) \($sid)"' 2>/dev/null) || true
[ -n "$ids" ] || fail "no programme id (\"id\", \"channel.sid\") in the JSON; $1 left as it is"
program_id=${ids% *}
service_id=${ids#* }
if [ "$((program_id / 100000 % 100000))" != "$service_id" ]; then
  fail "programme id $program_id is not of service $service_id; $1 left as it is"
fi
exec kalvento-cli rename --program-id "$program_id" -- "$1"
