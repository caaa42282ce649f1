#!/usr/bin/env bash
# Drives Dedov from other processes over a private session bus that starts it by D-Bus activation.
# Arguments: the Dedov program, cvl-genflock, the breed plug-in, cvl-register-breed, the client script.
set -euo pipefail
dedov=$1 genflock=$2 breed=$3 register=$4 client=$5
work=$(mktemp -d /tmp/cvl_bus_XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/prefix/share/corvalen" "$work/user" "$work/machine" "$work/services"
echo "Dedov=bin/Dedov" > "$work/prefix/share/corvalen/components"
export CVL_INSTALL_PREFIX="$work/prefix" CVL_USER_CONFIG_DIR="$work/user" CVL_MACHINE_CONFIG_DIR="$work/machine"
export NO_AT_BRIDGE=1
# The program's own leaks are not this test's subject.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
"$register" "General Sheep" "$breed"
"$genflock" --animals 12 --seed 3 "$work/flock.cvl" > /dev/null
printf '[D-BUS Service]\nName=net.velmora.Dedov\nExec=%s --automation\n' "$dedov" \
    > "$work/services/net.velmora.Dedov.service"
cat > "$work/session.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=$work</listen>
  <servicedir>$work/services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
exec dbus-run-session --config-file="$work/session.conf" -- /usr/bin/python3 "$client" "$work/flock.cvl"
