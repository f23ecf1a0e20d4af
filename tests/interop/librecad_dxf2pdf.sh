#!/usr/bin/env bash
# Opens a DXF file in LibreCAD, as a drafter without AutoCAD would, and plots it to PDF:
#
#   tests/interop/librecad_dxf2pdf.sh FILE.dxf [PDF_FOLDER]
#
# LibreCAD runs without a display (Qt's offscreen platform) and is given 120 s. The PDF goes
# to PDF_FOLDER (a fresh temporary folder when none is given; it is kept, so the plot can be
# looked at). Exits 0 when LibreCAD wrote a PDF that is not empty (and, when poppler's
# pdftoppm is there, whose page is not blank), 1 when it did not, 2 when the arguments are
# wrong or LibreCAD is not installed (Debian package librecad).
set -euo pipefail

if [[ $# -lt 1 || $# -gt 2 || ! -f "$1" ]]; then
    echo "usage: $0 FILE.dxf [PDF_FOLDER]" >&2
    exit 2
fi
if ! command -v librecad >/dev/null; then
    echo "$0: librecad is not installed (apt-get install librecad)" >&2
    exit 2
fi

dxf="$1"
folder="${2:-$(mktemp -d -t zkl-librecad-XXXXXX)}"
mkdir -p "$folder"
pdf="$folder/$(basename "${dxf%.*}").pdf"
rm -f "$pdf"

# LibreCAD's exit code says nothing about the plot, so the PDF itself is the answer.
QT_QPA_PLATFORM=offscreen timeout 120 librecad dxf2pdf -a -t "$folder" "$dxf" >"$folder/librecad.log" 2>&1 || true
if [[ ! -s "$pdf" ]]; then
    echo "$0: LibreCAD wrote no PDF of $dxf (log: $folder/librecad.log)" >&2
    exit 1
fi
# A file that LibreCAD reads as empty still plots to a valid PDF of a white page: count the
# dark pixels of a coarse picture of it (a blank page has none beyond the image's header).
if command -v pdftoppm >/dev/null; then
    ink=$(pdftoppm -r 20 -gray -singlefile "$pdf" | od -An -v -tu1 | tr -s ' ' '\n' | awk 'NF && $1 < 128' | wc -l)
    if [[ "$ink" -lt 50 ]]; then
        echo "$0: LibreCAD plotted $dxf as a blank page ($pdf)" >&2
        exit 1
    fi
fi
echo "$pdf"
