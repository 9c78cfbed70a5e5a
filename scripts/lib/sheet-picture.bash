# Sourced by scripts/workbook-picture and scripts/downloads-picture: a picture of one sheet of a
# workbook as LibreOffice shows it, printed headless to PDF with its grid and its row and column
# headings, then drawn (at 80 dpi unless told) and cut to what is drawn (the bounding box of the page's
# non-white pixels, and a margin). Needs LibreOffice's Calc and poppler-utils.
#
#   sheet_picture WORKBOOK SHEET LAST_ROW LAST_COLUMN PAGE PNG [DPI]
#
# LAST_COLUMN is a number (empty: the sheet's last); PAGE is "plain" (as the sheet prints), or
# "landscape" or "portrait" to fit the area on one such page.

sheet_picture() {
    local book=$1 sheet=$2 last_row=$3 last_column=$4 page=$5 png=$6 dpi=${7:-80} work x y width height
    work=$(mktemp -d)
    # A spreadsheet shows its grid and headings on screen; printed, only when the sheet asks for
    # them. The copy shows the one sheet alone and asks for them.
    /usr/bin/python3 - "$book" "$sheet" "$last_row" "$last_column" "$page" \
        "$work/$sheet.xlsx" <<'PYTHON'
import sys
import openpyxl

path, name, last_row, last_column, page, copy = sys.argv[1:]
book = openpyxl.load_workbook(path)
sheet = book[name]
for other in book.worksheets:
    other.sheet_state = "visible" if other is sheet else "hidden"
book.active = book.worksheets.index(sheet)
# openpyxl writes a series it read back without its straight lines: LibreOffice then draws it
# smoothed, bulging a stepped limit, where the workbook itself has straight ones.
for chart in sheet._charts:
    for series in chart.series:
        series.smooth = False
sheet.print_options.gridLines = True
sheet.print_options.headings = True
last = openpyxl.utils.get_column_letter(int(last_column) if last_column else sheet.max_column)
sheet.print_area = f"A1:{last}{last_row}"
if page != "plain":
    sheet.page_setup.orientation = page
    sheet.page_setup.fitToWidth = sheet.page_setup.fitToHeight = 1
    sheet.sheet_properties.pageSetUpPr.fitToPage = True
book.save(copy)
PYTHON
    libreoffice -env:UserInstallation="file://$work/libreoffice" --headless --convert-to pdf \
        --outdir "$work" "$work/$sheet.xlsx" >/dev/null 2>&1
    pdftoppm -r "$dpi" -singlefile -gray "$work/$sheet.pdf" "$work/page"
    read -r x y width height < <(/usr/bin/python3 - "$work/page.pgm" <<'PYTHON'
import re
import sys

with open(sys.argv[1], "rb") as file:
    data = file.read()
# Binary PGM: "P5", width, height and maximum value, then one white space byte and the pixels.
header = re.match(rb"P5\s+(\d+)\s+(\d+)\s+\d+\s", data)
width, height, pixels = int(header[1]), int(header[2]), data[header.end():]
rows = [y for y in range(height) if min(pixels[y * width:(y + 1) * width]) < 200]
columns = [x for x in range(width) if min(pixels[x::width]) < 200]
margin = 4
left, top = max(columns[0] - margin, 0), max(rows[0] - margin, 0)
print(left, top, min(columns[-1] + margin, width - 1) - left + 1,
      min(rows[-1] + margin, height - 1) - top + 1)
PYTHON
)
    pdftoppm -r "$dpi" -singlefile -png -x "$x" -y "$y" -W "$width" -H "$height" "$work/$sheet.pdf" \
        "${png%.png}"
    rm -rf "$work"
    echo "$(basename "$0"): $png (${width}x$height, $(stat -c %s "$png") bytes)"
}
