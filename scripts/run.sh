#!/usr/bin/env bash
# The main job: installs what is missing, builds TORKA in Release, installs the VST3
# and LV2 plug-ins for this user, and shows them working in a real host on real audio.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
configure -DTORKA_BUILD_HOST=ON -DTORKA_FUZZ=OFF -DTORKA_SANITIZERS=
build --target Torka_VST3 Torka_LV2 Torka_Standalone torka-host torka

artefacts=$(build_dir)/Torka_artefacts/Release
log "Installing the plug-ins"
mkdir -p "$HOME/.vst3" "$HOME/.lv2"
rm -rf "$HOME/.vst3/TORKA.vst3" "$HOME/.lv2/TORKA.lv2"
cp -R "$artefacts/VST3/TORKA.vst3" "$HOME/.vst3/"
cp -R "$artefacts/LV2/TORKA.lv2" "$HOME/.lv2/"
echo "VST3: $HOME/.vst3/TORKA.vst3"
echo "LV2:  $HOME/.lv2/TORKA.lv2"
echo "Standalone app: $artefacts/Standalone/TORKA"
mkdir -p "$HOME/.local/bin"
install -m 755 "$(build_dir)/tools/cli/torka" "$HOME/.local/bin/torka"
echo "Command line: $HOME/.local/bin/torka"

demo=$ROOT/out/demo
log "Loading the installed plug-ins in a host and rendering a test signal"
"$(build_dir)/tools/host/torka-host" --seconds 3 --out "$demo" "$HOME/.vst3/TORKA.vst3" "$HOME/.lv2/TORKA.lv2"

log "Rendering a demo mix through three factory presets with the torka command"
torka=$(build_dir)/tools/cli/torka
"$torka" demo-signal "$demo/demo-mix.wav" --seconds 8
for preset in "WARM MASTER" "PUNCHY DRUMS" "HOT TAPE"; do
    "$torka" render "$demo/demo-mix.wav" "$demo/demo-mix - $preset.wav" --preset "$preset"
done

log "Done"
echo "The demo mix and its renders are in $demo:"
ls -1 "$demo"
