#!/usr/bin/env bash
# Starts and stops the Mondrian XMLA test server (XmlaTestServer.java) in the background.
#   tests/xmla/server.sh start STATEDIR [SCHEMA.xml...]   default schema: samples/servers/FoodMart.xml
#   tests/xmla/server.sh stop STATEDIR
#   tests/xmla/server.sh post STATEDIR REQUEST.xml        print the server's answer to one request
#   tests/xmla/server.sh capture STATEDIR OUTDIR          answers to every requests/*.xml, same names
#   tests/xmla/server.sh check                            exit 0 when java, javac, curl and the jars are there
# start waits until the server answers a DBSCHEMA_CATALOGS Discover, then writes its endpoint to
# STATEDIR/url; on any failure it stops what it started. Exit code 77: something is missing (skip).
# XMLA_START_TIMEOUT (seconds, default 60) bounds the wait; XMLA_JAVA_HEAP (default 512m) is the
# server's heap limit.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
jardir=${XMLA_JAR_DIR:-/usr/share/java}
jars=(mondrian olap4j eigenbase-xom eigenbase-properties eigenbase-resgen commons-dbcp commons-pool
      commons-logging commons-math commons-vfs2 commons-lang3 commons-collections3 commons-io
      cup_runtime xercesImpl jetty9-server jetty9-servlet jetty9-util jetty9-http jetty9-io
      jetty9-security servlet-api hsqldb log4j-over-slf4j slf4j-api slf4j-simple)

die() { echo "server.sh: $*" >&2; exit 1; }

check() {
  local missing=() j
  for tool in java javac curl; do command -v "$tool" >/dev/null || missing+=("$tool")
  done
  for j in "${jars[@]}"; do [ -f "$jardir/$j.jar" ] || missing+=("$jardir/$j.jar"); done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "server.sh: missing ${missing[*]} (scripts/setup.sh installs them)" >&2
    return 77
  fi
}

classpath() {
  local cp="" j
  for j in "${jars[@]}"; do cp+="$jardir/$j.jar:"; done
  echo "$cp$1"
}

# The pid in STATEDIR/pid when it is still our server (not a reused pid).
server_pid() {
  local pid
  [ -f "$1/pid" ] || return 1
  pid=$(cat "$1/pid")
  [[ $pid =~ ^[0-9]+$ ]] || return 1
  tr '\0' ' ' 2>/dev/null <"/proc/$pid/cmdline" | grep -q XmlaTestServer || return 1
  echo "$pid"
}

stop() {
  local state=$1 pid i
  if pid=$(server_pid "$state"); then
    kill "$pid" 2>/dev/null || true
    for ((i = 0; i < 100; ++i)); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && kill -KILL "$pid" 2>/dev/null || true
  fi
  rm -f "$state/pid" "$state/url"
}

# post URL REQUEST.xml: the answer's body, whatever its HTTP status (faults may come as 500).
post() {
  curl -sS --max-time 20 -H 'Content-Type: text/xml; charset=utf-8' \
    -H 'SOAPAction: "urn:schemas-microsoft-com:xml-analysis:Discover"' \
    --data-binary @"$2" "$1"
}

discover_catalogs() { post "$1" "$here/requests/discover-catalogs.xml"; }

url_of() {
  check || exit $?
  [ -s "$1/url" ] || die "no server running for $1 (no $1/url)"
  cat "$1/url"
}

start() {
  local state=$1; shift
  local schemas=("$@")
  [ ${#schemas[@]} -gt 0 ] || schemas=("$root/samples/servers/FoodMart.xml")
  local i
  for i in "${!schemas[@]}"; do  # the server runs in STATEDIR
    [[ ${schemas[$i]} = /* ]] || schemas[$i]=$PWD/${schemas[$i]}
  done
  check || exit $?
  mkdir -p "$state"
  state=$(cd "$state" && pwd)
  stop "$state"

  local classes="$state/classes" pid
  if [ ! -f "$classes/XmlaTestServer.class" ] || [ "$here/XmlaTestServer.java" -nt "$classes/XmlaTestServer.class" ]; then
    mkdir -p "$classes"
    javac -nowarn -Xlint:none -cp "$(classpath "")" -d "$classes" "$here/XmlaTestServer.java" \
      || die "cannot compile XmlaTestServer.java"
  fi

  : >"$state/stdout"
  : >"$state/mondrian.properties"  # defaults, and no warning that it is missing
  # Output goes to files so that whoever started us (CTest) does not wait on inherited pipes.
  (cd "$state" && exec java -Xmx"${XMLA_JAVA_HEAP:-512m}" -XX:+UseSerialGC -XX:TieredStopAtLevel=1 -Djava.io.tmpdir="$state" \
    -Dmondrian.rolap.ignoreInvalidMembers=true -Dmondrian.jdbcDrivers=org.hsqldb.jdbc.JDBCDriver \
    -Dorg.slf4j.simpleLogger.defaultLogLevel=warn \
    -cp "$(classpath "$classes")" XmlaTestServer --ignore-stdin 0 "${schemas[@]}" \
    >"$state/stdout" 2>"$state/server.log" </dev/null) &
  pid=$!
  echo "$pid" >"$state/pid"

  # Whatever goes wrong from here on, nothing is left running (globals: the trap runs after return).
  started_pid=$pid started_state=$state started_ok=0
  trap '[ "$started_ok" = 1 ] || { kill "$started_pid" 2>/dev/null || true
        wait "$started_pid" 2>/dev/null || true; rm -f "$started_state/pid" "$started_state/url"; }' EXIT

  local timeout=${XMLA_START_TIMEOUT:-60} deadline url="" answer
  deadline=$((SECONDS + timeout))
  while ((SECONDS < deadline)); do
    if ! kill -0 "$pid" 2>/dev/null; then
      tail -n 20 "$state/server.log" >&2
      die "the server exited during start-up (log: $state/server.log)"
    fi
    if [ -z "$url" ] && grep -q '^LISTENING ' "$state/stdout"; then
      url="http://$(sed -n 's/^LISTENING \([0-9.]*:[0-9]*\).*/\1/p' "$state/stdout" | head -n 1)/xmla"
    fi
    if [ -n "$url" ] && answer=$(discover_catalogs "$url" 2>/dev/null); then
      if grep -q '<CATALOG_NAME>' <<<"$answer"; then
        echo "$url" >"$state/url"
        started_ok=1
        echo "XMLA server at $url (pid $pid)"
        return 0
      fi
      if grep -q 'Fault>' <<<"$answer"; then
        echo "$answer" >&2
        die "the server answers DBSCHEMA_CATALOGS with a fault (log: $state/server.log)"
      fi
    fi
    sleep 0.5
  done
  tail -n 20 "$state/server.log" >&2
  die "no answer within $timeout s (log: $state/server.log)"
}

case "${1:-}" in
  start) [ $# -ge 2 ] || die "usage: server.sh start STATEDIR [SCHEMA.xml...]"; shift; start "$@" ;;
  stop) [ $# -eq 2 ] || die "usage: server.sh stop STATEDIR"; [ -d "$2" ] && stop "$2"; exit 0 ;;
  post) [ $# -eq 3 ] || die "usage: server.sh post STATEDIR REQUEST.xml"
        [ -f "$3" ] || die "no such request file: $3"
        url=$(url_of "$2"); post "$url" "$3" ;;
  capture) [ $# -eq 3 ] || die "usage: server.sh capture STATEDIR OUTDIR"
        url=$(url_of "$2"); mkdir -p "$3"
        for r in "$here"/requests/*.xml; do post "$url" "$r" >"$3/$(basename "$r")"; done ;;
  check) check ;;
  *) echo "usage: server.sh start STATEDIR [SCHEMA.xml...] | stop STATEDIR | post STATEDIR REQUEST.xml" \
          "| capture STATEDIR OUTDIR | check" >&2; exit 2 ;;
esac
