"""Reads a workbook or a CSV written by a transfer as a spreadsheet would, and checks it.

Usage (with Debian's /usr/bin/python3, which has openpyxl):

  spreadsheet_check.py xlsx BOOK.xlsx ROWS.txt [--statistics-rows N] [--record NAME=VALUE]...
      [--lower-limit X] [--upper-limit Y] [--nominal Z] [--value-field N] [--recalc]
  spreadsheet_check.py csv FILE.csv ROWS.txt [--statistics-rows N] --decimal point|comma
      [--open LibreOffice|Gnumeric]...
  spreadsheet_check.py shown POINTS.csv ROWS.txt [--statistics-rows N]

ROWS.txt holds the rows expected, as a points file with tabs holds them (CR LF after each, bytes
above 127 read as Latin-1); its first N rows are statistics rows, the rest memory rows.

xlsx: the sheets "Summary" (the one the workbook opens on), "Points" and "Download". Points: the
header, then one row per expected row, the section in column A, each field in a cell of its own: a
decimal number as a number shown with the decimals it was sent with, anything else as the text sent.
Download: the items' names in their order and the type of each value; "Rows written" against the
Points sheet, "Pressed at" as local ISO 8601 with its offset, at most --max-age seconds old (default
600). --record NAME=VALUE checks an item's value as well ("--record Baud rate=9600", "--record Gauge
version=" for an empty cell). Summary: see summary_check.py. --lower-limit, --upper-limit and
--nominal give its input cells' starting values (left out: empty), --value-field the field its
figures must be of (else the reader applies the value-field rule itself); memory rows that begin
with "D" are deleted points, which never count. --recalc has LibreOffice recalculate it as well
(about 10 s).

csv: the byte-order mark, CR LF after every record, and the records as Python's csv module reads
them: separator "," and decimal mark "." (--decimal point), or ";" and "," (--decimal comma). A
text field that a spreadsheet would take for a formula (it begins with "=", "+", "-", "@", a tab
or a carriage return) must begin with an apostrophe. --open ENGINE (LibreOffice or Gnumeric,
repeatable) has that spreadsheet open the file as its user would, formulas evaluated, in the
locale of the decimal mark: no cell may be a formula, each number the gauge sent is a number, each
text shows the gauge's characters (after the apostrophe, which Gnumeric hides and LibreOffice
shows).

shown: the Points sheet as a spreadsheet program shows it, saved as CSV with "," (LibreOffice:
--convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1,,1033,false,true,true,false,false,-1'):
the header, each number with the decimals the gauge sent, the text as sent.

Prints one line saying what it checked; on a fault, each fault on standard error and status 1.
Status 2 for a wrong command line.
"""

import argparse
import csv
import datetime
import io
import math
import re
import sys
import tempfile

DOWNLOAD_ITEMS = [
    # name, kinds the value may be: "text", "number", "empty"
    ("Program", {"text"}),
    ("Version", {"text"}),
    ("Pressed at", {"text"}),
    ("Characteristic", {"text", "empty"}),
    ("Port", {"text"}),
    ("Device", {"text"}),
    ("Baud rate", {"number"}),
    ("Include Statistics", {"text"}),
    ("Include Deletes", {"text"}),
    ("Use Space Delimiters", {"text"}),
    ("Gauge version", {"text", "empty"}),
    ("Statistics points announced", {"number", "empty"}),
    ("Memory points announced", {"number", "empty"}),
    ("Rows written", {"number"}),
    ("Ended with", {"text"}),
]
YES_NO_ITEMS = {"Include Statistics", "Include Deletes", "Use Space Delimiters"}
PRESSED_AT = re.compile(r"\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}[+-]\d{2}:\d{2}")
DECIMAL = re.compile(r"[+-]?(\d+)(?:\.(\d+))?")
FORMULA_STARTS = ("=", "+", "-", "@", "\t", "\r")
MAX_SIGNIFICANT_DIGITS = 15

faults = []


def fault(message):
    faults.append(message)


def decimals_of(field):
    """The decimals a field was sent with when a spreadsheet can hold it as a number, else None."""
    match = DECIMAL.fullmatch(field)
    if not match:
        return None
    whole, fraction = match.group(1), match.group(2) or ""
    if len((whole + fraction).lstrip("0")) > MAX_SIGNIFICANT_DIGITS:
        return None
    return len(fraction)


def expected_rows(path, statistics_rows):
    """(section, fields) for each row of a points file with tabs."""
    with open(path, "rb") as file:
        text = file.read().decode("latin-1")
    if text and not text.endswith("\r\n"):
        fault(f"{path}: the last row does not end in CR LF")
    lines = text.split("\r\n")[:-1] if text else []
    if statistics_rows > len(lines):
        fault(f"{path}: {len(lines)} rows, fewer than the {statistics_rows} statistics rows given")
    return [("Statistics" if i < statistics_rows else "Memory", line.split("\t"))
            for i, line in enumerate(lines)]


def kind_of(cell):
    if cell.value is None or cell.value == "":
        return "empty"
    return {"n": "number", "s": "text"}.get(cell.data_type, cell.data_type)


def check_field(where, cell, field):
    decimals = decimals_of(field)
    if decimals is None:
        if field == "" and kind_of(cell) == "empty":
            return
        if cell.data_type != "s" or cell.value != field:
            fault(f"{where}: expected the text {field!r}, found {cell.value!r} ({kind_of(cell)})")
        return
    if kind_of(cell) != "number" or not math.isclose(cell.value, float(field), rel_tol=1e-15):
        fault(f"{where}: expected the number {field}, found {cell.value!r} ({kind_of(cell)})")
    number_format = "0." + "0" * decimals if decimals else "0"
    if cell.number_format != number_format:
        fault(f"{where}: {field} is shown as {cell.number_format!r}, not {number_format!r}")


def check_points(sheet, rows):
    width = max((len(fields) for _, fields in rows), default=0)
    header = ["Section"] + [f"Field {n}" for n in range(1, width + 1)]
    found = [cell.value for cell in sheet[1]] if sheet.max_row >= 1 else []
    if found != header:
        fault(f"Points: the header is {found}, not {header}")
    if sheet.max_row != len(rows) + 1 or sheet.max_column > width + 1:
        fault(f"Points: {sheet.max_row - 1} rows of {sheet.max_column} columns, expected "
              f"{len(rows)} rows of {width + 1}")
    # One pass over the rows: asking for a row by its number measures the sheet every time.
    sheet_rows = sheet.iter_rows(min_row=2, max_row=len(rows) + 1, max_col=width + 1)
    for number, ((section, fields), cells) in enumerate(zip(rows, sheet_rows), start=2):
        check_field(f"Points!A{number}", cells[0], section)
        for column, field in enumerate(fields, start=1):
            where = f"Points!{cells[column].column_letter}{number}"
            check_field(where, cells[column], field)
        for cell in cells[len(fields) + 1:]:
            if cell.value is not None:
                fault(f"Points!{cell.coordinate}: expected nothing, found {cell.value!r}")


def check_pressed_at(text, max_age):
    if not isinstance(text, str) or not PRESSED_AT.fullmatch(text):
        fault(f"Download: \"Pressed at\" {text!r} is not ISO 8601 with an offset (+01:00)")
        return
    pressed = datetime.datetime.fromisoformat(text)
    local_offset = datetime.datetime.fromtimestamp(pressed.timestamp()).astimezone().utcoffset()
    if pressed.utcoffset() != local_offset:
        fault(f"Download: \"Pressed at\" {text} is not local time, whose offset is {local_offset}")
    age = datetime.datetime.now(datetime.timezone.utc) - pressed
    if not datetime.timedelta(seconds=-2) <= age <= datetime.timedelta(seconds=max_age):
        fault(f"Download: \"Pressed at\" {text} is {age.total_seconds():.0f} s before now, "
              f"not within {max_age} s")


def check_download(sheet, rows_written, records, max_age):
    if sheet.max_row != len(DOWNLOAD_ITEMS) or sheet.max_column > 2:
        fault(f"Download: {sheet.max_row} rows of {sheet.max_column} columns, expected "
              f"{len(DOWNLOAD_ITEMS)} of 2")
    values = {}
    for number, (name, kinds) in enumerate(DOWNLOAD_ITEMS, start=1):
        found_name, value = sheet.cell(number, 1), sheet.cell(number, 2)
        if found_name.value != name:
            fault(f"Download!A{number}: expected {name!r}, found {found_name.value!r}")
            continue
        if kind_of(value) not in kinds:
            fault(f"Download!B{number} ({name}): a {kind_of(value)} cell, expected "
                  f"{' or '.join(sorted(kinds))}")
        values[name] = value.value
    if values.get("Rows written") != rows_written:
        fault(f"Download: \"Rows written\" is {values.get('Rows written')!r}, the Points sheet "
              f"holds {rows_written}")
    for name in YES_NO_ITEMS & values.keys():
        if values[name] not in ("Yes", "No"):
            fault(f"Download: {name!r} is {values[name]!r}, not \"Yes\" or \"No\"")
    if "Pressed at" in values:
        check_pressed_at(values["Pressed at"], max_age)
    for name, expected in records:
        if name not in values:
            continue
        found = values[name]
        if isinstance(found, (int, float)) and not isinstance(found, bool):
            matches = expected != "" and decimals_of(expected) is not None and \
                float(expected) == found
        else:
            matches = (found or "") == expected
        if not matches:
            fault(f"Download: {name!r} is {found!r}, expected {expected!r}")


def check_workbook(path, rows, records, max_age, options):
    """What was checked beyond the rows, or None."""
    import openpyxl  # Debian's python3-openpyxl

    from summary_check import check_summary

    with open(path, "rb") as file:  # whatever its name: --format xlsx may name it .txt
        book = openpyxl.load_workbook(file)
    sheets = ["Summary", "Points", "Download"]
    if book.sheetnames != sheets:
        fault(f"the sheets are {book.sheetnames}, not {sheets}")
        return None
    if book.active.title != "Summary":
        fault(f"the workbook opens on {book.active.title!r}, not on the Summary")
    check_points(book["Points"], rows)
    check_download(book["Download"], len(rows), records, max_age)
    return check_summary(path, rows, options, fault)


def check_line_ends(text):
    """Outside quotes, every line break is CR LF, and the last record ends with one."""
    quoted = False
    for i, char in enumerate(text):
        if char == '"':
            quoted = not quoted
        elif not quoted and char == "\r" and text[i + 1:i + 2] != "\n":
            return fault(f"a CR without LF at character {i}")
        elif not quoted and char == "\n" and text[i - 1:i] != "\r":
            return fault(f"an LF without CR at character {i}")
    if text and not text.endswith("\r\n"):
        fault("the last record does not end in CR LF")


def csv_text(field):
    """A text field as the CSV holds it: marked as text where a spreadsheet would run it."""
    return "'" + field if field.startswith(FORMULA_STARTS) else field


def check_csv(path, rows, decimal):
    with open(path, "rb") as file:
        data = file.read()
    if not data.startswith(b"\xef\xbb\xbf"):
        fault(f"no UTF-8 byte-order mark, it begins {data[:3]!r}")
    try:
        text = data[3:].decode("utf-8")
    except UnicodeDecodeError as error:
        return fault(f"not UTF-8: {error}")
    check_line_ends(text)
    separator, mark = (";", ",") if decimal == "comma" else (",", ".")
    records = list(csv.reader(io.StringIO(text, newline=""), delimiter=separator))
    expected = [[section] + [field.replace(".", mark) if decimals_of(field) is not None else
                             csv_text(field) for field in fields] for section, fields in rows]
    if len(records) != len(expected):
        fault(f"{len(records)} records, expected {len(expected)}")
    for number, (found, wanted) in enumerate(zip(records, expected), start=1):
        if found != wanted:
            fault(f"record {number} reads {found}, expected {wanted}")


def looks_like_a_number(field):
    """A spreadsheet reads more fields as numbers than the form writes as numbers ("1e5", more
    digits than it keeps): those are left to it."""
    try:
        return math.isfinite(float(field))
    except ValueError:
        return False


def check_opened(path, rows, decimal, engine, scratch):
    """The CSV as the engine opens it: no formula, numbers as numbers, the gauge's text."""
    from spreadsheet_engines import EngineError, opened_csv

    try:
        sheet = opened_csv(engine, path, scratch, decimal).active
    except EngineError as error:
        return fault(str(error))
    cells = list(sheet.iter_rows(max_row=max(len(rows), sheet.max_row)))
    if sheet.max_row != len(rows):
        fault(f"{engine}: {sheet.max_row} rows, expected {len(rows)}")
    for (section, fields), row in zip(rows, cells):
        for field, cell in zip([section] + fields, row):
            where = f"{engine}: {cell.coordinate}"
            if cell.data_type == "f":
                fault(f"{where}: {field!r} opened as the formula {cell.value!r}")
            elif decimals_of(field) is not None:
                if kind_of(cell) != "number" or not math.isclose(cell.value, float(field)):
                    fault(f"{where}: expected the number {field}, found {cell.value!r}")
            elif field.startswith(FORMULA_STARTS):
                if cell.value not in (field, csv_text(field)):
                    fault(f"{where}: expected the text {field!r}, found {cell.value!r}")
            elif not looks_like_a_number(field) and (cell.value or "") != field:
                fault(f"{where}: expected the text {field!r}, found {cell.value!r}")


def shown(field):
    """A field as a spreadsheet shows it: a number with the decimals it was sent with."""
    decimals = decimals_of(field)
    return field if decimals is None else f"{float(field):.{decimals}f}"


def check_shown(path, rows):
    with open(path, encoding="utf-8", newline="") as file:
        records = list(csv.reader(file))
    width = max((len(fields) for _, fields in rows), default=0)
    expected = [["Section"] + [f"Field {n}" for n in range(1, width + 1)]]
    for section, fields in rows:
        cells = [section] + [shown(field) for field in fields]
        expected.append(cells + [""] * (width + 1 - len(cells)))
    if len(records) != len(expected):
        fault(f"{len(records)} rows shown, expected {len(expected)}")
    for number, (found, wanted) in enumerate(zip(records, expected), start=1):
        if found != wanted:
            fault(f"row {number} shows {found}, expected {wanted}")


def main():
    parser = argparse.ArgumentParser(
        usage="%(prog)s xlsx|csv|shown FILE ROWS.txt [options]", description=__doc__,
        formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("form", choices=["xlsx", "csv", "shown"])
    parser.add_argument("file", help="the workbook or CSV to read")
    parser.add_argument("rows", help="the rows expected, as a points file with tabs")
    parser.add_argument("--statistics-rows", type=int, default=0, metavar="N",
                        help="the first N rows are statistics rows (default 0)")
    parser.add_argument("--record", action="append", default=[], metavar="NAME=VALUE",
                        help="xlsx: the Download item NAME holds VALUE (repeatable)")
    parser.add_argument("--max-age", type=int, default=600, metavar="SECONDS",
                        help="xlsx: \"Pressed at\" at most this long ago (default 600)")
    parser.add_argument("--lower-limit", type=float, metavar="X",
                        help="xlsx: the Summary's lower limit starts as X (default: empty)")
    parser.add_argument("--upper-limit", type=float, metavar="Y",
                        help="xlsx: the Summary's upper limit starts as Y (default: empty)")
    parser.add_argument("--nominal", type=float, metavar="Z",
                        help="xlsx: the Summary's nominal starts as Z (default: empty)")
    parser.add_argument("--value-field", type=int, metavar="N",
                        help="xlsx: the Summary's figures are of Field N (default: the rule's)")
    parser.add_argument("--recalc", action="store_true",
                        help="xlsx: LibreOffice recalculates the Summary to the same figures, "
                             "and follows new limits")
    parser.add_argument("--decimal", choices=["point", "comma"],
                        help="csv: the locale's decimal mark (required for csv)")
    parser.add_argument("--open", action="append", default=[], metavar="ENGINE",
                        choices=["LibreOffice", "Gnumeric"],
                        help="csv: ENGINE opens it and shows text, not formulas (repeatable)")
    options = parser.parse_args()
    if options.form == "csv" and options.decimal is None:
        parser.error("csv needs --decimal point or --decimal comma")
    records = []
    for record in options.record:
        name, equals, value = record.partition("=")
        if not equals or name not in dict(DOWNLOAD_ITEMS):
            parser.error(f"--record {record!r}: NAME=VALUE with NAME one of the Download items")
        records.append((name, value))

    rows = expected_rows(options.rows, options.statistics_rows)
    summary = None
    if options.form == "xlsx":
        summary = check_workbook(options.file, rows, records, options.max_age, options)
    elif options.form == "csv":
        check_csv(options.file, rows, options.decimal)
        with tempfile.TemporaryDirectory(prefix="spreadsheet-check.") as scratch:
            for engine in options.open:
                check_opened(options.file, rows, options.decimal, engine, scratch)
    else:
        check_shown(options.file, rows)
    if faults:
        for message in faults:
            print(f"spreadsheet_check: {options.file}: {message}", file=sys.stderr)
        return 1
    print(f"spreadsheet_check: {options.file}: {len(rows)} rows as expected" +
          (f"; {summary}" if summary else ""))
    return 0


if __name__ == "__main__":
    sys.exit(main())
