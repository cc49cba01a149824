# Sourced by the interoperability scripts: installs the pinned
# zigbee-herdsman from the npm registry into a cache directory and sets
# ota_js to its OTA parser. Needs `unavailable MESSAGE` from the caller.
#   install_herdsman <cache directory>
herdsman_version=10.9.5  # pinned: the parser whose behaviour the tests rely on

install_herdsman() {
  local cache=$1
  command -v node >/dev/null 2>&1 || unavailable "node not found"
  command -v npm >/dev/null 2>&1 || unavailable "npm not found"
  ota_js=$cache/node_modules/zigbee-herdsman/dist/controller/helpers/ota.js
  local installed=$cache/node_modules/zigbee-herdsman/package.json
  if [ ! -f "$installed" ] || ! grep -q "\"version\": \"$herdsman_version\"" "$installed"; then
    # --ignore-scripts: no native serial-port builds; only the parser is used.
    if ! (cd "$cache" && npm install --no-audit --no-fund --ignore-scripts --no-save \
            "zigbee-herdsman@$herdsman_version" >npm-install.log 2>&1); then
      cat "$cache/npm-install.log" >&2 || true
      unavailable "npm install zigbee-herdsman@$herdsman_version failed"
    fi
  fi
  [ -f "$ota_js" ] || unavailable "$ota_js missing after install"
}
