#!/usr/bin/env bash
# The catalogue page in a real browser, headless Chromium: every picture loads
# at its size, the page needs no network and reads without scripts, and its
# script filters as the window does (the same words find the same tracks as
# pitbox-cli list --match) and sorts. Leaves a screenshot of the page in SHOTS.
#   catalogue_browser_test.sh PITBOX_CLI WRITE_TRACK TRACKS_FOLDER SHOTS
set -u
cli=$1
writer=$2
demo=$3
shots=$4
fail() { echo "FAIL: $*"; exit 1; }
command -v chromium >/dev/null || fail "missing chromium: run the README's test command, which installs it"
work=$(mktemp -d)
server=
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/site" "$shots"
# The demo tracks, and tracks whose names fold beyond their accents.
tracks="$work/tracks"
cp -r "$demo" "$tracks"
for name in "Łódź Ring" "Straße 9" "Ærø Loop" "Ørsted Park"; do "$writer" "$tracks/$name.trk" >/dev/null || fail "writer"; done
words=(lodz LODZ ŁÓDŹ strasse STRASSE STRAẞE aero AERO ÆRØ orsted ORSTED ØRSTED makinen "RING loop")
expected=""
for w in "${words[@]}"; do
    n=$("$cli" list --scan --match "$w" --format paths "$tracks" | wc -l)
    expected+="[\"$w\", $n],"
done

said=$("$cli" catalogue -o "$work/site/catalogue" "$tracks") || fail "catalogue: $said"
page="$work/site/catalogue/index.html"
pictures=$(find "$work/site/catalogue/tracks" -name '*.png' | wc -l)
[ "$pictures" -gt 0 ] || fail "no pictures"
if grep -Eq '(src|href)="(https?:)?//' "$page"; then fail "the page reaches for the network"; fi

# A page that opens the catalogue in a frame of the same origin, loads every
# picture it names (a lazy one below the frame's view would wait for a
# scroll), then types in the filter and sorts.
cat >"$work/site/check.html" <<HTML
<!DOCTYPE html>
<html><head><meta charset="utf-8"></head><body><pre id="result">running</pre>
<iframe id="page" src="catalogue/index.html" width="1200" height="800"></iframe>
<script>var EXPECTED = [${expected}];</script>
HTML
cat >>"$work/site/check.html" <<'HTML'
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
    var shownFor = function (typed) {
      filter.value = typed;
      filter.dispatchEvent(new Event('input'));
      return all('#tracks tbody tr').filter(function (r) { return !r.hidden; }).length;
    };
    var unlike = EXPECTED.filter(function (w) { return shownFor(w[0]) !== w[1]; });
    notes.push('filter unlike the window: ' + unlike.map(function (w) { return w[0] + ' ' + shownFor(w[0]) + '/' + w[1]; }).join(', ') + '.');
    notes.push('filtered ' + shownFor('MAKINEN'));
    shownFor('');
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
echo "$result" | grep -q "filter unlike the window: \." || fail "the same words find the same tracks: $result"
echo "$result" | grep -q "sorted true" || fail "a click on Length sorts by length: $result"
# Without scripts the page as written is the page read: every track a row,
# and the filter box, which needs the script, hidden.
tracks_said=${said%% *}
[ "$(grep -c '^<tr><td' "$page")" -eq "$tracks_said" ] || fail "a row for each of the $tracks_said tracks"
grep -q '<input id="filter"[^>]* hidden>' "$page" || fail "the filter box is hidden until the script runs"
browse --hide-scrollbars --window-size=1200,820 --screenshot="$shots/catalogue.png" "$url/catalogue/index.html" \
    >/dev/null || fail "screenshot"
echo "catalogue in a browser: $pictures pictures load, the filter and the sort work"
