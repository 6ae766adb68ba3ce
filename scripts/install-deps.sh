#!/usr/bin/env bash
# Installs with apt-get whatever the build, the tests and the package check need and this
# machine lacks.
set -euo pipefail
packages=(g++ make cmake pkg-config libgtest-dev qt6-base-dev qt6-charts-dev libxlsxwriter-dev nlohmann-json3-dev python3-openpyxl xvfb xauth python3 bc time clang libclang-rt-14-dev dpkg-dev file desktop-file-utils appstream lintian)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq || true
$sudo apt-get install -y -qq "${missing[@]}"
