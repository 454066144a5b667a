# The real-router test's setting (RouterTest.cpp): namespaces $N"home",
# $N"router" and $N"internet", two links, nftables with masquerading and
# miniupnpd's chains on the router, and miniupnpd from $F/router.conf, its
# log in $F/router.log. Says "ready" once miniupnpd listens (five seconds at most).
set -e
h=${N}home r=${N}router i=${N}internet
for n in $h $r $i; do ip netns add $n; ip -n $n link set lo up; done
ip link add ${N}a netns $h type veth peer name lan netns $r
ip link add ${N}b netns $i type veth peer name wan netns $r
ip -n $h addr add 192.168.77.2/24 dev ${N}a
ip -n $r addr add 192.168.77.1/24 dev lan
ip -n $r addr add 203.0.114.1/24 dev wan
ip -n $i addr add 203.0.114.50/24 dev ${N}b
ip -n $h link set ${N}a up; ip -n $r link set lan up; ip -n $r link set wan up
ip -n $i link set ${N}b up
ip -n $h route add default via 192.168.77.1
ip netns exec $r sysctl -qw net.ipv4.ip_forward=1
ip netns exec $r nft -f - <<'RULES'
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
ip netns exec $r /usr/sbin/miniupnpd -f "$F/router.conf" -d -P "$F/router.pid" > "$F/router.log" 2>&1 &
for try in $(seq 50); do
  if { ! grep -q enable_upnp=yes "$F/router.conf" || grep -q "HTTP listening" "$F/router.log"; } &&
     { ! grep -q enable_natpmp=yes "$F/router.conf" || grep -q "Listening for NAT-PMP" "$F/router.log"; }; then
    echo ready; exit 0
  fi
  sleep 0.1
done
cat "$F/router.log"
