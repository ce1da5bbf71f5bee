#!/bin/sh
# Installs the Debian packages the build and the tests need. Idempotent and quiet
# when everything is present; prints the apt command when not running as root.
set -e
PACKAGES="cmake ninja-build g++ make libgtest-dev libgmock-dev libbenchmark-dev"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages:$missing"
  echo "Run: sudo apt-get install -y$missing"
  exit 1
fi
echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends $missing >/dev/null
