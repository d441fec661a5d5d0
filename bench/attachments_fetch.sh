#!/usr/bin/env bash
# Fetches a file from a real smbd on another host (network namespaces) with Pelimo's copy and with
# smbclient, three times each, and prints both medians and the throughput ratio. Needs root.
#   bench/attachments_fetch.sh BUILD-DIRECTORY [SIZE_MB, default 200]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
exec "$here/../tests/lan/attachments_two_hosts.sh" "${1:?usage: $0 BUILD-DIRECTORY [SIZE_MB]}" --bench "${2:-200}"
