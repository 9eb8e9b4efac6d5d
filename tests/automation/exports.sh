#!/usr/bin/env bash
# liblorvantic exports its public surface and nothing else: the C entry points and the classes
# and functions the installed headers mark for export. Every other symbol, our own and the
# standard library's or Qt's template code instantiated inside, stays local.
#   exports.sh PATH-OF-LIBLORVANTIC
set -euo pipefail
library=$1
symbols=$(nm -D --defined-only --demangle "$library" | cut -d' ' -f3-)
public='Lorvantic::(MetaSelMain|MetaSelCube|MetaSelDim|MetaSelRole|SelectorBase|Selector|CubeCollectors|Error|Olap::[A-Za-z]+)([<:]|$)'
functions='Lorvantic::(CreateSelector|Olap::CreateServer)\('
entries='(Dll|Lv)[A-Za-z]+'
others=$(grep -Ev "^((typeinfo for |typeinfo name for |vtable for )?$public|$functions|$entries\$)" <<<"$symbols" || true)
if [ -n "$others" ]; then
  echo "exported beyond the public surface:" >&2
  echo "$others" | head -40 >&2
  exit 1
fi
# What a host needs is there.
for needed in 'DllGetClassObject' 'LvLastErrorDescription' 'Lorvantic::MetaSelCube::MetaSelCube()' \
  'Lorvantic::MetaSelMain::StartReport()' 'Lorvantic::SelectorBase::ShowForm()' \
  'typeinfo for Lorvantic::Error' 'Lorvantic::Olap::CreateServer()' \
  'Lorvantic::CubeCollectors::GetCubeRoles(Lorvantic::Olap::Store&, Lorvantic::CubeInfo&)'; do
  if ! grep -qxF "$needed" <<<"$symbols"; then
    echo "not exported: $needed" >&2
    exit 1
  fi
done
echo "$(wc -l <<<"$symbols") symbols, all public"
