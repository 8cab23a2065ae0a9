#!/bin/sh
# Installs the pinned end-to-end test dependencies (puppeteer-core, see
# package-lock.json) into FOLDER/node_modules with `npm ci`, only when they
# are missing or the lock file changed. Usage: setup.sh FOLDER
set -eu
here=$(cd "$(dirname "$0")" && pwd)
dest="$1"
mkdir -p "$dest"
if [ -f "$dest/node_modules/puppeteer-core/package.json" ] && cmp -s "$here/package-lock.json" "$dest/package-lock.json"; then
    exit 0
fi
cp "$here/package.json" "$here/package-lock.json" "$dest/"
cd "$dest"
npm ci --ignore-scripts --no-audit --no-fund --loglevel=error
