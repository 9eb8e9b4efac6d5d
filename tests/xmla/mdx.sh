#!/usr/bin/env bash
# Runs MDX queries on the XMLA test server and checks each answer: a way to find out whether the
# tables the server derived from a schema hold what Mondrian asks of them.
#   tests/xmla/mdx.sh STATEDIR CASES [SCHEMA.xml...]
# CASES has one query a line: CATALOG | expected answer (extended regex) | MDX; # starts a comment.
# With schema files it starts its own server in STATEDIR for them and stops it at the end;
# without, it uses the server already running there.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 2 ] || { echo "usage: mdx.sh STATEDIR CASES [SCHEMA.xml...]" >&2; exit 2; }
state=$1 cases=$2
shift 2
[ -f "$cases" ] || { echo "mdx.sh: no such case file: $cases" >&2; exit 2; }
bash "$here/server.sh" check || exit $?
if [ $# -gt 0 ]; then
  bash "$here/server.sh" start "$state" "$@" || exit 1
  trap 'bash "$here/server.sh" stop "$state"' EXIT
fi

xml() { sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' <<<"$1"; }
request=$(mktemp)
trap 'rm -f "$request"; [ $# -eq 0 ] || bash "$here/server.sh" stop "$state"' EXIT

passed=0 failed=0
while IFS='|' read -r catalog expected mdx; do
  catalog=$(xargs <<<"$catalog")
  [ -n "$catalog" ] && [[ $catalog != \#* ]] || continue
  expected=$(sed 's/^ *//; s/ *$//' <<<"$expected")
  mdx=$(sed 's/^ *//; s/ *$//' <<<"$mdx")
  cat >"$request" <<REQ
<?xml version="1.0" encoding="UTF-8"?>
<SOAP-ENV:Envelope xmlns:SOAP-ENV="http://schemas.xmlsoap.org/soap/envelope/">
  <SOAP-ENV:Body>
    <Execute xmlns="urn:schemas-microsoft-com:xml-analysis">
      <Command>
        <Statement>$(xml "$mdx")</Statement>
      </Command>
      <Properties>
        <PropertyList>
          <DataSourceInfo>Provider=Mondrian;DataSource=Lorvantic;</DataSourceInfo>
          <Catalog>$(xml "$catalog")</Catalog>
          <Format>Tabular</Format>
        </PropertyList>
      </Properties>
    </Execute>
  </SOAP-ENV:Body>
</SOAP-ENV:Envelope>
REQ
  answer=$(bash "$here/server.sh" post "$state" "$request" 2>&1)
  if grep -q 'Fault>' <<<"$answer" || ! grep -Eq "$expected" <<<"$answer"; then
    echo "FAIL $catalog: $mdx"
    echo "     expected /$expected/; got: $(grep -o '<desc>[^<]*' <<<"$answer" || tail -c 300 <<<"$answer")"
    failed=$((failed + 1))
  else
    echo "ok   $catalog: $mdx"
    passed=$((passed + 1))
  fi
done <"$cases"
echo "$passed passed, $failed failed"
[ $failed -eq 0 ] && [ $passed -gt 0 ]
