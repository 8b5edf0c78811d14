#!/usr/bin/env bash
# lilv finds and describes the bundle under its own URI, and its Turtle validates
# against the installed LV2 schemas.
set -euo pipefail

bundle=$1
uri=$2
fail() { echo "FAIL: $*"; exit 1; }

[ -f "$bundle/manifest.ttl" ] || fail "no manifest.ttl in $bundle"

# Only this bundle and the system's LV2 schemas, never an installed copy of the plug-in.
private=$(mktemp -d)
trap 'rm -rf "$private"' EXIT
mkdir "$private/lv2"
ln -s "$(cd "$bundle" && pwd)" "$private/lv2/$(basename "$bundle")"
export LV2_PATH=$private/lv2:/usr/lib/lv2

echo "== lv2ls"
lv2ls | tee "$private/ls.txt"
grep -qxF "$uri" "$private/ls.txt" || fail "lv2ls does not list $uri"

echo "== lv2info $uri"
lv2info "$uri" > "$private/info.txt"
grep -vE '^\s*$' "$private/info.txt" | head -12
grep -qE '^\s+Name:\s+TORKA$' "$private/info.txt" || fail "not named TORKA"
grep -qE '^\s+Class:\s+Distortion Plugin$' "$private/info.txt" || fail "not classed as a distortion plug-in"
grep -qE '^\s+Author:\s+HollowOakAudio$' "$private/info.txt" || fail "wrong author"
grep -q 'Has latency:       yes' "$private/info.txt" || fail "no latency port"
ins=$(awk '/AudioPort/{a=1;next} a&&/InputPort/{n++} {a=0} END{print n+0}' "$private/info.txt")
outs=$(awk '/AudioPort/{a=1;next} a&&/OutputPort/{n++} {a=0} END{print n+0}' "$private/info.txt")
echo "audio inputs: $ins, audio outputs: $outs"
[ "$ins" = 2 ] && [ "$outs" = 2 ] || fail "expected 2 audio inputs and 2 audio outputs"

echo "== lv2_validate"
lv2_validate "$bundle"/*.ttl
echo "LV2 bundle OK"
