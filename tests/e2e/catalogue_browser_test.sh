#!/usr/bin/env bash
# The catalogue page in a real browser, headless Chromium: every picture loads
# at its size, the page needs no network and reads without scripts, and its
# script filters and sorts. Leaves a screenshot of the page in SHOTS.
#   catalogue_browser_test.sh PITBOX_CLI TRACKS_FOLDER SHOTS
set -u
cli=$1
tracks=$2
shots=$3
fail() { echo "FAIL: $*"; exit 1; }
command -v chromium >/dev/null || fail "missing chromium: run the README's test command, which installs it"
work=$(mktemp -d)
server=
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/site" "$shots"

said=$("$cli" catalogue -o "$work/site/catalogue" "$tracks") || fail "catalogue: $said"
page="$work/site/catalogue/index.html"
pictures=$(find "$work/site/catalogue/tracks" -name '*.png' | wc -l)
[ "$pictures" -gt 0 ] || fail "no pictures"
if grep -Eq '(src|href)="(https?:)?//' "$page"; then fail "the page reaches for the network"; fi

# A page that opens the catalogue in a frame of the same origin, loads every
# picture it names (a lazy one below the frame's view would wait for a
# scroll), then types in the filter and sorts.
cat >"$work/site/check.html" <<'HTML'
<!DOCTYPE html>
<html><body><pre id="result">running</pre>
<iframe id="page" src="catalogue/index.html" width="1200" height="800"></iframe>
<script>
document.getElementById('page').addEventListener('load', function () {
  var doc = this.contentDocument, notes = [];
  var all = function (selector) { return Array.prototype.slice.call(doc.querySelectorAll(selector)); };
  var images = all('img');
  Promise.all(images.map(function (shown) {
    return new Promise(function (settled) {
      var i = new Image();
      i.onload = function () {
        settled(i.naturalWidth === 512 && i.naturalHeight === 512 ? '' : i.src + ' is ' + i.naturalWidth);
      };
      i.onerror = function () { settled('broken ' + i.src); };
      i.src = shown.src;
    });
  })).then(function (bad) {
    bad = bad.filter(Boolean);
    notes.push('pictures ' + images.length + ' bad ' + bad.length + ' ' + bad.join(' '));
    var filter = doc.getElementById('filter');
    notes.push('filter shown ' + !filter.hidden);
    filter.value = 'MAKINEN';
    filter.dispatchEvent(new Event('input'));
    notes.push('filtered ' + all('#tracks tbody tr').filter(function (r) { return !r.hidden; }).length);
    var length = all('#tracks th').filter(function (th) { return th.textContent === 'Length'; })[0];
    length.click();
    var values = all('#tracks tbody tr').map(function (r) { return Number(r.cells[length.cellIndex].textContent); });
    notes.push('sorted ' + values.every(function (v, i) { return i === 0 || values[i - 1] <= v; }));
    document.getElementById('result').textContent = notes.join('\n');
  });
});
</script></body></html>
HTML

# Served over HTTP, as an upload would be: a file:// frame is another origin.
python3 -c '
import http.server, sys
class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args): pass
handler = lambda *a, **k: Quiet(*a, directory=sys.argv[1], **k)
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
print(server.server_address[1], flush=True)
server.serve_forever()' "$work/site" >"$work/port" &
server=$!
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
url="http://127.0.0.1:$(cat "$work/port")"

browse() {
    timeout 60 chromium --headless --no-sandbox --disable-gpu --user-data-dir="$work/profile" \
        --virtual-time-budget=20000 "$@" 2>/dev/null
}
result=$(browse --dump-dom "$url/check.html" | sed -n '/<pre id="result">/,/<\/pre>/p')
echo "$result" | grep -q "pictures $pictures bad 0 " || fail "every picture loads: $result"
echo "$result" | grep -q "filter shown true" || fail "the script shows the filter: $result"
# Of the tracks made for the tests, those by or with a record of Mäkinen.
echo "$result" | grep -Eq "filtered [1-9]" || fail "the filter finds accented words: $result"
echo "$result" | grep -q "sorted true" || fail "a click on Length sorts by length: $result"
# Without scripts the page as written is the page read: every track a row,
# and the filter box, which needs the script, hidden.
tracks_said=${said%% *}
[ "$(grep -c '^<tr><td' "$page")" -eq "$tracks_said" ] || fail "a row for each of the $tracks_said tracks"
grep -q '<input id="filter"[^>]* hidden>' "$page" || fail "the filter box is hidden until the script runs"
browse --hide-scrollbars --window-size=1200,820 --screenshot="$shots/catalogue.png" "$url/catalogue/index.html" \
    >/dev/null || fail "screenshot"
echo "catalogue in a browser: $pictures pictures load, the filter and the sort work"
