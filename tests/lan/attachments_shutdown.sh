#!/usr/bin/env bash
# SIGTERM while an attached file is being copied: the copy stops, leaves no file, and the program
# ends within a second (the shutdown mode of attachments_two_hosts.sh). Needs root.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
exec "$here/attachments_two_hosts.sh" "${1:?usage: $0 BUILD-DIRECTORY}" --shutdown
