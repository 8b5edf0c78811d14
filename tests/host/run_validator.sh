#!/usr/bin/env bash
# Runs torka-validate on a bundle with a private HOME (the plug-in's editor writes its
# preset folder there, and the LV2 host scans ~/.lv2) on a private X display.
set -u
validator=$1
bundle=$2
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
HOME=$home "$(dirname "$0")/../support/with-xvfb.sh" "$validator" "$bundle"
