#!/usr/bin/env bash
# formreport's filed report opened in a real browser (headless Chromium from
# the distribution's packages): the page loads with no console message, every
# chart draws something, every value of the page's tables and verdicts is in
# the text the browser holds, and printing to PDF gives the overview a page,
# a page a part and one for the summary, each numbered "page N of M" (checked
# with pdftotext where poppler-utils is installed). Skipped (status 77) where no Chromium is installed.
#
#   report_browser_test.sh FORMREPORT [SCREENSHOT.png [PARTPAGE.png]]
#
# With SCREENSHOT, the first page as the browser shows it is kept there;
# with PARTPAGE, the first part's page too.
set -euo pipefail
formreport=$(realpath "$1")
keep=${2:+$(realpath -m "$2")}
keeppart=${3:+$(realpath -m "$3")}
here=$(dirname "$(realpath "$0")")
browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
    echo "skipped: no Chromium (scripts/deps.sh installs Debian's chromium package where it can)"
    exit 77
fi
if ! command -v python3 >/dev/null; then
    echo "skipped: no python3 to read the browser's pictures"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
parts=3
python3 "$here/browsercheck.py" parts "$parts"
"$formreport" report part*.csv --feature circle --unit mm --filter 50 --tolerance 0.005 \
    --part "Ring 6204" --operator "A. Lab" --date 2026-12-08 --instrument "RT-1" \
    --probe "ruby 2 mm" --report-number "R-2026-118" --approved-by "Q. Manager" \
    -o report.html >/dev/null
chrome() {
    timeout 60 "$browser" --headless --no-sandbox --disable-gpu --no-first-run \
        --user-data-dir="$work/profile" --enable-logging=stderr --v=0 "$@" 2>>chrome.log
}
chrome --dump-dom "file://$work/report.html" >dom.html
if grep -a "CONSOLE" chrome.log; then
    echo "the page wrote on the console" >&2
    exit 1
fi
python3 "$here/browsercheck.py" values report.html dom.html
python3 "$here/browsercheck.py" charts report.html
for chart in chart-*.html; do
    chrome --window-size=900,640 --screenshot="$work/${chart%.html}.png" "file://$work/$chart" >/dev/null
done
python3 "$here/browsercheck.py" drawn chart-*.png
chrome --no-pdf-header-footer --print-to-pdf="$work/report.pdf" "file://$work/report.html" >/dev/null
pages=$((parts + 2))
python3 "$here/browsercheck.py" pages report.pdf $pages
if command -v pdftotext >/dev/null; then
    # The text is searchable, and every page says its number and the report's.
    pdftotext -layout report.pdf report.txt
    for n in $(seq 1 $pages); do
        grep -q "page $n of $pages" report.txt || { echo "no 'page $n of $pages'" >&2; exit 1; }
    done
    [ "$(grep -c "Form inspection report R-2026-118" report.txt)" -ge $pages ] ||
        { echo "the report's number is not on every page" >&2; exit 1; }
    grep -q "Batch overview" report.txt || { echo "no overview in the PDF's text" >&2; exit 1; }
fi
# The pictures of the printed first page and first part's page, as the PDF
# has them where poppler-utils is installed, else as the browser shows them.
keeppage() { # PAGE PICTURE
    if command -v pdftoppm >/dev/null; then
        pdftoppm -png -r 80 -f "$1" -l "$1" -singlefile report.pdf "${2%.png}"
    else
        local anchor=""
        if [ "$1" -gt 1 ]; then anchor="#part-$(($1 - 1))"; fi
        chrome --window-size=1000,1400 --screenshot="$2" "file://$work/report.html$anchor" >/dev/null
    fi
}
if [ -n "$keep" ]; then keeppage 1 "$keep"; fi
if [ -n "$keeppart" ]; then keeppage 2 "$keeppart"; fi
echo "report_browser_test: $parts parts, every chart drawn, $pages pages"
