# The real-router test's setting (RouterTest.cpp), without mounts or names in
# /var/run/netns: each namespace is held by a process of its own that ends by
# itself within ten minutes, so nothing outlives a test that dies.
#   make: prints the holders "home router internet", then links them (the home
#         network 192.168.77.0/24, the outside 203.0.114.0/24), with nftables'
#         masquerading and miniupnpd's empty chains on the router.
#   router CONF LOG HOLDER: runs miniupnpd on the router (HOLDER) in the foreground with CONF;
#         says "ready" once it listens (twenty seconds at most).
set -e
inside() { local holder=$1; shift; nsenter --net=/proc/$holder/ns/net "$@"; }
hold() {
  unshare --net sleep 600 </dev/null >/dev/null 2>&1 &
  local holder=$! own; own=$(readlink /proc/self/ns/net)
  for try in $(seq 200); do
    [ "$(readlink /proc/$holder/ns/net)" != "$own" ] && { echo $holder; return; }
    sleep 0.1
  done
  exit 1
}
case $1 in
make)
  h=$(hold) r=$(hold) i=$(hold)
  echo $h $r $i
  for n in $h $r $i; do inside $n ip link set lo up; done
  ip link add home0 netns $h type veth peer name lan netns $r
  ip link add guest0 netns $i type veth peer name wan netns $r
  inside $h ip addr add 192.168.77.2/24 dev home0
  inside $r ip addr add 192.168.77.1/24 dev lan
  inside $r ip addr add 203.0.114.1/24 dev wan
  inside $i ip addr add 203.0.114.50/24 dev guest0
  inside $h ip link set home0 up; inside $r ip link set lan up; inside $r ip link set wan up
  inside $i ip link set guest0 up
  inside $h ip route add default via 192.168.77.1
  inside $r sysctl -qw net.ipv4.ip_forward=1
  inside $r nft -f - <<'RULES'
table inet korvel {
  chain forward { type filter hook forward priority 0; policy accept; jump forward_miniupnpd; }
  chain forward_miniupnpd { }
  chain prerouting { type nat hook prerouting priority -100; jump prerouting_miniupnpd; }
  chain postrouting { type nat hook postrouting priority 100; jump postrouting_miniupnpd;
                      oifname "wan" masquerade; }
  chain prerouting_miniupnpd { }
  chain postrouting_miniupnpd { }
}
RULES
  ;;
router)
  conf=$2 log=$3 r=$4
  inside $r timeout 300 /usr/sbin/miniupnpd -f "$conf" -d -P "$conf.pid" > "$log" 2>&1 &
  for try in $(seq 200); do
    if { ! grep -q enable_upnp=yes "$conf" || grep -q "HTTP listening" "$log"; } &&
       { ! grep -q enable_natpmp=yes "$conf" || grep -q "Listening for NAT-PMP" "$log"; }; then
      echo ready; exit 0
    fi
    sleep 0.1
  done
  cat "$log"
  ;;
esac
