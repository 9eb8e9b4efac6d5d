#include "site/siteassets.h"

namespace Lorvantic::Site {

QByteArrayView StyleSheet() {
    static constexpr char css[] = R"css(:root {
  color-scheme: light dark;
  --text: #1b1b1b; --back: #ffffff; --muted: #5a5a5a; --line: #d0d0d0;
  --head: #eef1f5; --link: #0645ad; --mark: #1f7a3a; --hit: #dde8ff;
}
@media (prefers-color-scheme: dark) {
  :root { --text: #e6e6e6; --back: #15171a; --muted: #a8a8a8; --line: #3a3d42;
          --head: #23272d; --link: #8ab4f8; --mark: #6fd08c; --hit: #2c3a55; }
}
* { box-sizing: border-box; }
body { margin: 0; font: 16px/1.45 system-ui, sans-serif; color: var(--text); background: var(--back); }
header { position: sticky; top: 0; z-index: 3; display: flex; flex-wrap: wrap; gap: .5rem 1.5rem;
         align-items: center; padding: .5rem 1rem; background: var(--head); border-bottom: 1px solid var(--line); }
main { padding: 0 1rem 2rem; max-width: 100%; }
a { color: var(--link); }
h1 { font-size: 1.6rem; overflow-wrap: anywhere; }
h2 { font-size: 1.25rem; margin-top: 2rem; }
.search { position: relative; flex: 1 1 18rem; }
.search input { width: 100%; max-width: 32rem; font: inherit; padding: .3rem .5rem; }
#hits { position: absolute; z-index: 4; left: 0; right: 0; max-width: 40rem; max-height: 60vh; overflow: auto;
        margin: .2rem 0 0; padding: 0; list-style: none; background: var(--back); border: 1px solid var(--line); }
#hits li { padding: .25rem .5rem; }
#hits li[aria-selected="true"] { background: var(--hit); }
#hits .kind { color: var(--muted); font-size: .85em; }
.frame { overflow-x: auto; margin: .5rem 0 1rem; }
.frame.matrix { max-height: 75vh; overflow: auto; border: 1px solid var(--line); }
table { border-collapse: separate; border-spacing: 0; }
caption { text-align: left; font-weight: 600; padding: .25rem 0; }
th, td { padding: .25rem .5rem; border-bottom: 1px solid var(--line); text-align: left; vertical-align: top;
         overflow-wrap: anywhere; }
thead th { position: sticky; top: 0; z-index: 1; background: var(--head); }
tbody th { font-weight: normal; }
.matrix th[scope="row"] { position: sticky; left: 0; z-index: 1; background: var(--head); min-width: 10rem; }
.matrix thead th:first-child { left: 0; z-index: 2; }
.matrix thead th { writing-mode: vertical-rl; transform: rotate(180deg); white-space: nowrap; max-height: 14rem;
                   overflow: hidden; text-overflow: ellipsis; }
.matrix thead th:first-child { writing-mode: horizontal-tb; transform: none; }
.matrix td { text-align: center; }
.mark { color: var(--mark); text-decoration: none; }
code { white-space: pre-wrap; overflow-wrap: anywhere; }
@media (max-width: 40rem) { body { font-size: 15px; } main { padding: 0 .5rem 1rem; } }
@media print {
  header .search { display: none; }
  header { position: static; }
  thead th, .matrix th[scope="row"] { position: static; }
  .frame, .frame.matrix { max-height: none; overflow: visible; border: 0; }
  a { color: inherit; text-decoration: none; }
}
)css";
    return QByteArrayView(css, sizeof css - 1);
}

QByteArrayView SearchScript() {
    static constexpr char js[] = R"js((function () {
  "use strict";
  var data = window.lorvanticSearch;
  var input = document.getElementById("search");
  var list = document.getElementById("hits");
  if (!data || !input || !list) return;
  var names = data.items.map(function (item) { return item[0].toLowerCase(); });
  var most = 50;
  var active = -1;

  function clear() {
    while (list.firstChild) list.removeChild(list.firstChild);
    list.hidden = true;
    active = -1;
    input.removeAttribute("aria-activedescendant");
  }

  // Exact matches first, then those starting with the query, then the rest; each in index order.
  function matches(query) {
    var exact = [], prefix = [], rest = [];
    for (var i = 0; i < names.length; i++) {
      var at = names[i].indexOf(query);
      if (at < 0) continue;
      (names[i].length === query.length ? exact : at === 0 ? prefix : rest).push(i);
      if (exact.length >= most) break;
    }
    return exact.concat(prefix, rest).slice(0, most);
  }

  function option(item, n) {
    var li = document.createElement("li");
    li.id = "hit-" + n;
    li.setAttribute("role", "option");
    var link = document.createElement("a");
    link.href = item[3];
    link.textContent = item[0];
    var kind = document.createElement("span");
    kind.className = "kind";
    kind.textContent = " " + data.kinds[item[1]] + (item[4] >= 0 ? " of " + data.owners[item[4]] : "") +
      " in " + data.databases[item[2]];
    li.appendChild(link);
    li.appendChild(kind);
    return li;
  }

  function show() {
    clear();
    var query = input.value.toLowerCase();
    if (query.length < 2) return;
    var found = matches(query);
    found.forEach(function (i, n) { list.appendChild(option(data.items[i], n)); });
    if (!found.length) {
      var none = document.createElement("li");
      none.textContent = "No match";
      list.appendChild(none);
    }
    list.hidden = false;
  }

  function move(step) {
    var options = list.querySelectorAll("li[role=option]");
    if (!options.length) return;
    if (active >= 0) options[active].removeAttribute("aria-selected");
    active = (active + step + options.length) % options.length;
    options[active].setAttribute("aria-selected", "true");
    options[active].scrollIntoView({block: "nearest"});
    input.setAttribute("aria-activedescendant", options[active].id);
  }

  input.addEventListener("input", show);
  input.addEventListener("keydown", function (event) {
    if (event.key === "ArrowDown" || event.key === "ArrowUp") {
      move(event.key === "ArrowDown" ? 1 : -1);
      event.preventDefault();
    } else if (event.key === "Enter") {
      var links = list.querySelectorAll("li[role=option] a");
      var target = links[active >= 0 ? active : 0];
      if (target) window.location.href = target.href;
      event.preventDefault();
    } else if (event.key === "Escape") {
      clear();
    }
  });
})();
)js";
    return QByteArrayView(js, sizeof js - 1);
}

} // namespace Lorvantic::Site
