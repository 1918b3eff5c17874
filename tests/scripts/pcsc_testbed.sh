#!/usr/bin/env bash
# End-to-end test of the PC/SC reader backend with no hardware: pcscd with the vpcd virtual
# reader and our virtual FeliCa card, in private mount, network and PID namespaces so that the
# fixed pcscd socket and vpcd's port never meet the machine's own, and everything dies with us.
# Usage: pcsc_testbed.sh PROBE CLI
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ "$(id -u)" -ne 0 ]; then
  echo "SKIPPED: the PC/SC test bed needs root (namespaces, pcscd)"
  exit 77
fi
for tool in pcscd unshare ip; do
  command -v "$tool" >/dev/null || { echo "FAILED: $tool is missing (run scripts/install-deps)"; exit 1; }
done
[ -f /usr/lib/pcsc/drivers/serial/libifdvpcd.so ] || { echo "FAILED: vsmartcard-vpcd is missing"; exit 1; }
exec unshare --mount --net --pid --fork --kill-child --mount-proc \
  /usr/bin/python3 "$here/pcsc_testbed.py" "$@"
