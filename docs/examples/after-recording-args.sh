#!/bin/sh
# Post-recording command for recording managers that call a command with the
# recording's path as the first argument and a JSON description of the
# programme as the second, for example
#
#   after-recording-args.sh /srv/recordings/rec.ts '{"serviceId":1024,"eventId":6657}'
#
# A manager knows which service and event it recorded; handing both on names
# the file after that programme even when another one (the programme before,
# a sub-channel) fills more of the analysed window. When the recording holds
# no such programme the file stays as it is (status noSuchCandidate, exit 1).
# Managers name these fields differently: change SERVICE_FIELD and EVENT_FIELD.
set -eu
cli=${KALVENTO_CLI:-kalvento-cli}
service_field=${SERVICE_FIELD:-serviceId}
event_field=${EVENT_FIELD:-eventId}

if [ $# -lt 1 ] || [ -z "$1" ]; then
  echo "usage: after-recording-args.sh PATH [JSON]" >&2
  exit 2
fi
path=$1
json=${2:-}

# The number a flat JSON object gives a field, or nothing; no JSON tool needed.
number_field() {
  printf '%s\n' "$json" | tr -d '\n' |
    sed -n "s/.*\"$1\"[[:space:]]*:[[:space:]]*\([0-9][0-9]*\).*/\1/p"
}

service=$(number_field "$service_field")
event=$(number_field "$event_field")
set -- rename
if [ -n "$service" ]; then set -- "$@" --service-id "$service"; fi
if [ -n "$event" ]; then set -- "$@" --event-id "$event"; fi
exec "$cli" "$@" -- "$path"
