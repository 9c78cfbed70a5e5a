"""The trend workbook, read back as a spreadsheet would and checked against Python's own statistics
of the history it was made from.

Usage (with Debian's /usr/bin/python3, which has openpyxl):

  trend_check.py check BOOK.xlsx HISTORY.sqlite [--characteristic NAME] [--whole-history]
      [--recalc]
  trend_check.py make-history HISTORY.sqlite
  trend_check.py self-test --writer COMMAND [--recalc]

check: the downloads the Downloads sheet lists (by uid) are read from the SQLite history
(`downloads` and `points`, Python's sqlite3, read only). With --whole-history they must be every
download of the history (of the characteristic, when named), in time order. Python finds the
repeats (the fingerprint of a download pressed earlier in the selection) and the continuations
(memory lines that begin with all of an earlier download's and hold more, the latest such) itself,
and computes every figure with its `statistics` module over the counted values of the points
table: a continuing download's new lines only, repeats left out of the Trend.

Downloads sheet: the headings; per row the pressed-at time, characteristic, host, port, how it
ended, uid, Repeat of and Continues, and each figure as the download's own Summary computes it (an
empty cell where the Summary says why it cannot be computed). Trend sheet: first and active; the
labels in their order; the limits as shaded number inputs starting from the newest download's;
every figure a formula over bounded ranges written with Python's result or the text that says why
not; a note beside the two tolerance counts; each download's Cpk at the Trend's limits in its
helper column; the three charts and their series; no SUMPRODUCT but one comparison counted.
--recalc: LibreOffice and Gnumeric each recalculate a copy whose written results are blanked out
(spreadsheet_engines.py) to Python's figures and the written helper results; then, with new limits
typed into a copy, Cp, Cpk, Pp, Ppk and the Cpk column must follow them and the tolerance counts
stay.

make-history: a small synthetic history in the schema of docs/history.md: two characteristics,
downloads of unequal sizes, a repeat, a continuation, a download of one value, one of zero spread,
one without limits, deleted points and text among the lines, and texts outside ASCII.

self-test: makes that history in a scratch folder, runs the writer (its {history}, {book} and
{characteristic} replaced: "qorb-history --history {history} --characteristic {characteristic}
--workbook {book}") and checks its workbook with --whole-history.

Prints one line saying what it checked; on a fault, each fault on standard error and status 1.
Status 2 for a wrong command line.
"""

import argparse
import datetime
import hashlib
import math
import os
import shlex
import sqlite3
import statistics
import subprocess
import sys
import tempfile

from spreadsheet_engines import recalculated
from summary_check import (IN_ORDER, NEEDS_A_LIMIT, NEEDS_A_VALUE, NEEDS_BOTH, NEEDS_TWO,
                           WHOLE_COLUMN, ZERO_SPREAD, check_sumproducts, expected_figures,
                           formulas_and_results, recalculated_by_engines, same, with_engines)

NEEDS_TWO_DOWNLOADS = "needs 2 downloads"
NEEDS_DOWNLOAD_OF_TWO = "needs a download of 2 values"
NEEDS_DOWNLOAD_LIMITS = "needs a download with limits"
CAPABLE_CPK = 1.33

INPUTS = ["Lower limit (LSL)", "Upper limit (USL)", "Nominal"]
FIGURES = [
    "Downloads", "Points", "Grand mean", "Pooled standard deviation", "Within sigma",
    "Overall standard deviation", "Average moving range of means", "LCL of means",
    "UCL of means", "Cp", "Cpk", "Pp", "Ppk", "Out of tolerance", "Out of tolerance share",
]
LIMIT_FIGURES = ["Cp", "Cpk", "Pp", "Ppk", "Out of tolerance", "Out of tolerance share"]
TOLERANCE_COUNTS = ["Out of tolerance", "Out of tolerance share"]
HEADINGS = [
    "Pressed at", "Characteristic", "Host", "Port", "Points counted", "Mean",
    "Standard deviation", "Average moving range", "Minimum", "Maximum", "Cpk", "Ppk",
    "Below LSL", "Above USL", "How it ended", "uid", "Repeat of", "Continues",
]
# The Downloads sheet's figures: its heading, the Summary's name for it.
ROW_FIGURES = [
    ("Points counted", "Points"), ("Mean", "Mean"), ("Standard deviation", "Standard deviation"),
    ("Average moving range", "Average moving range"), ("Minimum", "Minimum"),
    ("Maximum", "Maximum"), ("Cpk", "Cpk"), ("Ppk", "Ppk"), ("Below LSL", "Below LSL"),
    ("Above USL", "Above USL"),
]
# The Downloads sheet's texts: its heading, the history's column.
ROW_TEXTS = [
    ("Pressed at", "pressed_at"), ("Characteristic", "characteristic"), ("Host", "host"),
    ("Port", "port"), ("How it ended", "ended_with"), ("uid", "uid"),
]
CPK_HELPER = "Cpk at these limits"
# The charts: their series, the values first.
CHART_SERIES = {"Means": 6, "S chart": 4, "Cpk by download": 2}

faults = []


def fault(message):
    faults.append(message)


def c4(n):
    return math.sqrt(2 / (n - 1)) * math.exp(math.lgamma(n / 2) - math.lgamma((n - 1) / 2))


def instant(pressed_at):
    return datetime.datetime.fromisoformat(pressed_at)


# The history.

def read_history(path):
    """Every download of the history as a dictionary of its columns, with its memory lines (line,
    value when counted) in the order received, oldest first."""
    with sqlite3.connect(f"file:{path}?mode=ro", uri=True) as db:
        db.row_factory = sqlite3.Row
        downloads = [dict(row) for row in db.execute("SELECT * FROM downloads")]
        for download in downloads:
            download["memory"] = [
                (line, value if counted else None) for line, counted, value in db.execute(
                    "SELECT line, counted, value FROM points WHERE download_id = ? "
                    "AND section = 'Memory' ORDER BY position", (download["id"],))]
    return sorted(downloads, key=lambda d: instant(d["pressed_at"]))


class Row:
    """A selected download as the trend must show it."""

    def __init__(self, download, earlier):
        self.download = download
        self.repeats = [d["uid"] for d in earlier if d["fingerprint"] == download["fingerprint"]]
        continued = [d for d in earlier if self.begins_with(d)]
        # The latest such; a download of the same memory lines continues as well.
        self.continues = continued[-1] if continued else None
        self.after(self.continues)

    def begins_with(self, earlier):
        """Its memory lines begin with all of an earlier download's (one at least), and hold
        more."""
        lines, before = self.download["memory"], earlier["memory"]
        return 0 < len(before) < len(lines) and \
            [line for line, _ in before] == [line for line, _ in lines[:len(before)]]

    def after(self, continued):
        """Its counted values and figures: of the lines after those of the download it continues
        (None: all), at its own limits."""
        first_new = len(continued["memory"]) if continued else 0
        self.values = [value for _, value in self.download["memory"][first_new:]
                       if value is not None]
        self.figures = expected_figures(self.values, self.download["lower_limit"],
                                        self.download["upper_limit"])

    @property
    def in_trend(self):
        return not self.repeats and bool(self.values)


def trend_rows(downloads):
    return [Row(download, downloads[:index]) for index, download in enumerate(downloads)]


# Python's own figures.

def capability(lower, upper, mean, sigma, potential):
    """Cp or Pp (potential), Cpk or Ppk, as the Summary's rules give them, with a sigma that
    may be the text saying why it cannot be computed."""
    both = lower is not None and upper is not None
    if potential and not both:
        return NEEDS_BOTH
    if lower is None and upper is None:
        return NEEDS_A_LIMIT
    if both and lower >= upper:
        return IN_ORDER
    if isinstance(sigma, str):
        return sigma
    if sigma == 0:
        return ZERO_SPREAD
    if potential:
        return (upper - lower) / (6 * sigma)
    sides = ([upper - mean] if upper is not None else []) + \
        ([mean - lower] if lower is not None else [])
    return min(sides) / (3 * sigma)


def trend_figures(rows, lower, upper):
    inside = [row for row in rows if row.in_trend]
    values = [value for row in inside for value in row.values]
    n = len(values)
    figures = {"Downloads": len(inside), "Points": n}
    grand = statistics.fmean(values) if n else NEEDS_A_VALUE
    freedom = sum(len(row.values) - 1 for row in inside)
    squares = sum((len(row.values) - 1) * statistics.variance(row.values)
                  for row in inside if len(row.values) >= 2)
    pooled = math.sqrt(squares / freedom) if freedom >= 1 else NEEDS_DOWNLOAD_OF_TWO
    within = pooled / c4(freedom + 1) if freedom >= 1 else pooled
    overall = statistics.stdev(values) if n >= 2 else NEEDS_TWO
    means = [statistics.fmean(row.values) for row in inside]
    moving = statistics.fmean([abs(b - a) for a, b in zip(means, means[1:])]) \
        if len(means) >= 2 else NEEDS_TWO_DOWNLOADS
    figures.update({
        "Grand mean": grand, "Pooled standard deviation": pooled, "Within sigma": within,
        "Overall standard deviation": overall, "Average moving range of means": moving,
        "LCL of means": grand - 2.66 * moving if len(means) >= 2 else moving,
        "UCL of means": grand + 2.66 * moving if len(means) >= 2 else moving,
        "Cp": capability(lower, upper, grand, within, True),
        "Cpk": capability(lower, upper, grand, within, False),
        "Pp": capability(lower, upper, grand, overall, True),
        "Ppk": capability(lower, upper, grand, overall, False),
    })
    judged = [row for row in inside if not isinstance(row.figures["Below LSL"], str) or
              not isinstance(row.figures["Above USL"], str)]
    counts = [sum(c for c in (row.figures["Below LSL"], row.figures["Above USL"])
                  if not isinstance(c, str)) for row in judged]
    figures["Out of tolerance"] = sum(counts) if judged else NEEDS_DOWNLOAD_LIMITS
    figures["Out of tolerance share"] = \
        sum(counts) / sum(len(row.values) for row in judged) if judged else NEEDS_DOWNLOAD_LIMITS
    return figures


# The workbook.

def column_of(sheet, heading):
    """The column (from 1) whose first row holds the heading, or None."""
    for cell in sheet[1]:
        if cell.value == heading:
            return cell.column
    return None


class TrendCheck:
    def __init__(self, path, book, values_book, history, options):
        self.path, self.book, self.values_book = path, book, values_book
        self.history, self.options = history, options
        self.rows = []
        self.labels = {}  # label: row of the Trend sheet
        self.scale = 1.0

    def run(self):
        if self.book.sheetnames[:2] != ["Trend", "Downloads"] or \
                self.book.active.title != "Trend":
            fault(f"the sheets are {self.book.sheetnames}, the active one "
                  f"{self.book.active.title!r}: expected Trend (active), then Downloads")
            return None
        self.select()
        self.check_downloads()
        values = [v for row in self.rows if row.in_trend for v in row.values]
        self.scale = max([abs(v) for v in values] + [1.0])
        trend = self.book["Trend"]
        if not values:
            texts = [c.value for row in trend.iter_rows() for c in row if c.value is not None]
            if len(texts) != 2 or not str(texts[1]).startswith("No figures"):
                fault(f"Trend: no download holds a counted value, so a title and one line saying "
                      f"so were expected, found {texts[:5]}")
            return 0
        self.check_labels(trend)
        if len(self.labels) != len(INPUTS + FIGURES):
            return None
        self.check_title_and_inputs(trend)
        self.check_figures(trend)
        self.check_cpk_column(self.values_book["Trend"], self.limits())
        check_sumproducts(self.book, fault)
        self.check_charts(trend)
        return len(values)

    def limits(self):
        """The limits the Trend starts from: the newest download's."""
        newest = self.rows[-1].download
        return newest["lower_limit"], newest["upper_limit"], newest["nominal"]

    def select(self):
        """The history's downloads the Downloads sheet lists, in its order."""
        sheet = self.book["Downloads"]
        headings = [c.value for c in sheet[1]]
        if headings[:len(HEADINGS)] != HEADINGS:
            fault(f"Downloads: the headings are {headings}, expected {HEADINGS}")
        by_uid = {d["uid"]: d for d in self.history}
        uids = [sheet.cell(r, HEADINGS.index("uid") + 1).value
                for r in range(2, sheet.max_row + 1)]
        unknown = [uid for uid in uids if uid not in by_uid]
        if unknown:
            fault(f"Downloads: uids the history does not hold: {unknown}")
        selected = [by_uid[uid] for uid in uids if uid in by_uid]
        if [d["uid"] for d in sorted(selected, key=lambda d: instant(d["pressed_at"]))] != \
                [d["uid"] for d in selected]:
            fault("Downloads: the rows are not in the order they were pressed")
        if self.options.whole_history:
            name = self.options.characteristic
            wanted = [d["uid"] for d in self.history
                      if name is None or d["characteristic"] == name]
            if wanted != [d["uid"] for d in selected]:
                fault(f"Downloads: the rows are {uids}, the history's downloads "
                      f"{'of ' + repr(name) + ' ' if name else ''}are {wanted}")
        self.rows = trend_rows(selected)

    def check_downloads(self):
        sheet = self.book["Downloads"]
        for index, row in enumerate(self.rows, start=2):
            def found(heading):
                return sheet.cell(index, HEADINGS.index(heading) + 1).value
            d = row.download
            for heading, column in ROW_TEXTS:
                if (found(heading) or None) != (d[column] or None):
                    fault(f"Downloads row {index}: {heading} is {found(heading)!r}, the history "
                          f"holds {d[column]!r}")
            continues = found("Continues")
            named = next((r.download for r in self.rows if r.download["uid"] == continues), None)
            if row.repeats:
                # Out of the trend: its row may or may not say what it continues.
                if continues and not (named and row.begins_with(named)):
                    fault(f"Downloads row {index}: Continues is {continues!r}, which it does not "
                          f"continue")
                row.after(named if continues else None)
            elif (row.continues is None) != (continues is None) or row.continues and \
                    (not named or len(named["memory"]) != len(row.continues["memory"])):
                latest = row.continues["uid"] if row.continues else None
                fault(f"Downloads row {index}: Continues is {continues!r}, the latest download "
                      f"it continues is {latest!r}")
            repeat_of = found("Repeat of")
            if bool(repeat_of) != bool(row.repeats) or (repeat_of and repeat_of not in row.repeats):
                fault(f"Downloads row {index}: Repeat of is {repeat_of!r}, an earlier download of "
                      f"the same fingerprint is one of {row.repeats or 'none'}")
            scale = max([abs(v) for v in row.values] + [1.0])
            for heading, name in ROW_FIGURES:
                expected = row.figures[name]
                if (found(heading) is None) if isinstance(expected, str) else \
                        same(found(heading), expected, scale):
                    continue
                fault(f"Downloads row {index}: {heading} is {found(heading)!r}, Python's is "
                      f"{expected!r}" + (" (an empty cell)" if isinstance(expected, str) else ""))

    def check_labels(self, sheet):
        found = [(c.row, c.value) for c in sheet["A"] if isinstance(c.value, str)]
        labels = [label for _, label in found if label in INPUTS + FIGURES]
        if labels != INPUTS + FIGURES:
            fault(f"Trend: the labels in column A are {[v for _, v in found]}, expected "
                  f"{INPUTS + FIGURES} among them")
            return
        self.labels = {label: row for row, label in found if label in INPUTS + FIGURES}

    def check_title_and_inputs(self, sheet):
        names = {row.download["characteristic"] for row in self.rows}
        name = self.options.characteristic or (names.pop() if len(names) == 1 else None)
        expected = f"Trend: {name}" if name else "Trend"
        if sheet["A1"].value != expected:
            fault(f"Trend!A1: the title is {sheet['A1'].value!r}, expected {expected!r}")
        validations = list(sheet.data_validations.dataValidation)
        for label, start in zip(INPUTS, self.limits()):
            cell = sheet.cell(self.labels[label], 2)
            if (cell.value is None) != (start is None) or \
                    (start is not None and not same(cell.value, start, 1)):
                fault(f"Trend!{cell.coordinate} ({label}): {cell.value!r}, the newest "
                      f"download's is {start!r}")
            rules = [v for v in validations if cell.coordinate in str(v.sqref).split()]
            if cell.fill.fill_type != "solid" or \
                    not any(v.type == "decimal" and v.prompt for v in rules):
                fault(f"Trend!{cell.coordinate} ({label}): not a shaded input validated as a "
                      f"number with a message")
        for label in TOLERANCE_COUNTS:
            note = sheet.cell(self.labels[label], 3).value or ""
            if "does not follow an edited limit" not in note:
                fault(f"Trend: beside {label}, {note!r} does not say it does not follow an "
                      f"edited limit")

    def check_figures(self, sheet):
        expected = trend_figures(self.rows, *self.limits()[:2])
        results = self.values_book["Trend"]
        for label in FIGURES:
            formula = sheet.cell(self.labels[label], 2).value
            result = results.cell(self.labels[label], 2).value
            where = f"Trend!B{self.labels[label]} ({label})"
            if not isinstance(formula, str) or not formula.startswith("="):
                fault(f"{where}: {formula!r} is no formula")
            elif WHOLE_COLUMN.search(formula):
                fault(f"{where}: {formula} reads a whole column")
            if not same(result, expected[label], self.scale):
                fault(f"{where}: the result written is {result!r}, Python's is "
                      f"{expected[label]!r}")

    def check_cpk_column(self, results, limits, engine=""):
        """Each download in the trend: its Cpk at the Trend's limits, in the helper column."""
        column = column_of(self.book["Trend"], CPK_HELPER)
        inside = [row for row in self.rows if row.in_trend]
        if column is None:
            fault(f"Trend: no helper column {CPK_HELPER!r}")
            return
        for index, row in enumerate(inside, start=2):
            wanted = expected_figures(row.values, *limits[:2])["Cpk"]
            found = results.cell(index, column).value
            if not same(found, wanted, self.scale):
                fault(f"{engine}Trend {CPK_HELPER} of {row.download['uid']}: {found!r}, Python's "
                      f"is {wanted!r}")

    def check_charts(self, sheet):
        charts = sheet._charts
        kinds = [type(chart).__name__ for chart in charts]
        if kinds != ["ScatterChart"] * len(CHART_SERIES):
            fault(f"Trend: charts {kinds}, expected {len(CHART_SERIES)} scatter charts")
            return
        downloads = sum(row.in_trend for row in self.rows)
        for chart, (title, count) in zip(charts, CHART_SERIES.items()):
            series = chart.series
            reference = series[0].yVal.numRef.f if series and series[0].yVal else ""
            first, _, last = reference.partition(":")
            rows = int(last.split("$")[-1]) - int(first.split("$")[-1]) + 1 if last else 0
            if len(series) != count or not reference.startswith("Trend!") or rows != downloads:
                fault(f"Trend: the {title} chart has {len(series)} series, its values "
                      f"{reference!r}: expected {count} series, the values one per download in "
                      f"the trend ({downloads})")

    # The engines, recalculating.

    def recalc(self, scratch):
        """Each engine recalculates both sheets to Python's figures and the results written,
        then follows new limits: what was checked."""
        expected = trend_figures(self.rows, *self.limits()[:2])
        grand, overall = expected["Grand mean"], expected["Overall standard deviation"]
        # A band around the grand mean that leaves points out.
        moved = (grand - overall / 2, grand + overall / 2) if not isinstance(overall, str) else None
        return recalculated_by_engines(
            lambda engine: self.recalculated_by(engine, scratch, expected),
            lambda engine, book: self.follows(engine, book, moved, expected),
            (self.path, "Trend", [self.labels[label] for label in INPUTS]), moved, scratch, fault)

    def recalculated_by(self, engine, scratch, expected):
        """Every formula of both sheets: a figure as Python's, any other as the result written.
        How many formulas it checked."""
        book = recalculated(engine, self.path, scratch)
        figures = {self.labels[label]: label for label in FIGURES}
        checked = 0
        for name in ("Trend", "Downloads"):
            theirs, written = book[name], self.values_book[name]
            for row in self.book[name].iter_rows():
                for cell in row:
                    if cell.data_type != "f":
                        continue
                    checked += 1
                    computed = theirs[cell.coordinate].value
                    if name == "Trend" and cell.column == 2 and cell.row in figures:
                        wanted, whose = expected[figures[cell.row]], "Python's is"
                    else:
                        wanted, whose = written[cell.coordinate].value, "the workbook holds"
                    if not same_result(computed, wanted, self.scale):
                        fault(f"{engine}: {name}!{cell.coordinate} {cell.value} gives "
                              f"{computed!r}, {whose} {wanted!r}")
        self.check_cpk_column(book["Trend"], self.limits(), f"{engine}: ")
        return checked

    def follows(self, engine, book, limits, before):
        expected = trend_figures(self.rows, *limits)
        for label in LIMIT_FIGURES:
            wanted = before[label] if label in TOLERANCE_COUNTS else expected[label]
            found = book["Trend"].cell(self.labels[label], 2).value
            if not same(found, wanted, self.scale):
                fault(f"{engine}, limits {limits[0]:.6g} and {limits[1]:.6g}: {label} is "
                      f"{found!r}, expected {wanted!r}")
        self.check_cpk_column(book["Trend"], limits, f"{engine}, new limits: ")


def same_result(found, wanted, scale):
    """As same(), an empty text and an empty cell alike."""
    if wanted in ("", None):
        return found in ("", None)
    return same(found, wanted, scale)


def check(path, history_path, options):
    """Checks the trend workbook at path against the history; a line saying what was checked."""
    trend = TrendCheck(path, *formulas_and_results(path), read_history(history_path), options)
    values = trend.run()
    said = f"trend workbook {path}: {len(trend.rows)} downloads, " + \
        (f"{values} values in the trend" if values else "no figures")
    return with_engines(trend, said) if options.recalc and values else said


# A synthetic history.

SCHEMA = """
CREATE TABLE downloads (
    id INTEGER PRIMARY KEY, uid TEXT NOT NULL UNIQUE, program TEXT NOT NULL,
    program_version TEXT NOT NULL, host TEXT NOT NULL, account TEXT NOT NULL,
    pressed_at TEXT NOT NULL, ended_at TEXT NOT NULL, port TEXT NOT NULL, device TEXT NOT NULL,
    baud INTEGER, include_statistics INTEGER NOT NULL, include_deletes INTEGER NOT NULL,
    space_delimiters INTEGER NOT NULL, gauge_version TEXT, statistics_announced INTEGER,
    memory_announced INTEGER, rows_received INTEGER NOT NULL, rows_written INTEGER NOT NULL,
    ended_with TEXT NOT NULL, complete INTEGER NOT NULL, fingerprint TEXT NOT NULL,
    file TEXT NOT NULL, form TEXT NOT NULL, characteristic TEXT, lower_limit REAL,
    upper_limit REAL, nominal REAL, value_field INTEGER, unit TEXT, counted INTEGER NOT NULL,
    mean REAL, standard_deviation REAL, minimum REAL, maximum REAL, average_moving_range REAL,
    cp REAL, cpk REAL, pp REAL, ppk REAL, below_lsl INTEGER, above_usl INTEGER, sent_at TEXT);
CREATE TABLE points (
    download_id INTEGER NOT NULL REFERENCES downloads (id) ON DELETE CASCADE,
    position INTEGER NOT NULL, section TEXT NOT NULL, line TEXT NOT NULL,
    deleted INTEGER NOT NULL, counted INTEGER NOT NULL, value REAL,
    PRIMARY KEY (download_id, position)) WITHOUT ROWID;
CREATE INDEX downloads_by_characteristic ON downloads (characteristic, pressed_at);
PRAGMA user_version = 1;
"""
BORE = "Bore Ø12"
# The history's columns of the Summary's figures.
FIGURE_COLUMNS = {
    "counted": "Points", "mean": "Mean", "standard_deviation": "Standard deviation",
    "minimum": "Minimum", "maximum": "Maximum", "average_moving_range": "Average moving range",
    "cp": "Cp", "cpk": "Cpk", "pp": "Pp", "ppk": "Ppk", "below_lsl": "Below LSL",
    "above_usl": "Above USL",
}


def memory_lines(values, start=1):
    """Gauge lines of the values ("D" before a deleted one, text for None), field 2 counted."""
    lines = []
    for number, value in enumerate(values, start=start):
        if isinstance(value, tuple):
            lines.append(f"D{number}\t{value[0]:.3f}\tmm")
        else:
            lines.append(f"{number}\t{'ERR' if value is None else f'{value:.3f}'}\tmm")
    return lines


def synthetic_downloads():
    """(host, day and hour, characteristic, limits, memory lines), oldest first."""
    first = memory_lines([12.041, 12.052, 12.047, 12.063, 12.058, 12.049, 12.055, 12.061])
    # From 12.004 to 12.103: beyond both limits of its download.
    wide = [round(12.004 + 0.0055 * ((7 * i) % 19), 3) for i in range(21)]
    return [
        ("station-1", "01T08", BORE, (12.0, 12.1, 12.05), first),
        ("station-2", "01T09", BORE, (12.0, 12.1, 12.05), first),  # the same memory again
        ("station-1", "01T10", BORE, (12.0, 12.1, 12.05),
         first + memory_lines([12.071, 12.068, (12.5,), 12.104, None, 12.069], 9)),
        ("station-1", "02T08", "Length", (40.0, 40.2, None), memory_lines([40.1, 40.12, 40.08])),
        ("station-2", "02T09", BORE, (12.03, None, None), memory_lines([12.044])),
        ("station-2", "03T08", BORE, (12.0, 12.1, None), memory_lines([12.05, 12.05, 12.05])),
        ("büro-3", "03T09", BORE, (None, None, None),
         memory_lines([12.031, 12.036, 12.029, 12.04, 12.033])),
        ("station-1", "04T08", BORE, (12.01, 12.09, 12.05), memory_lines(wide)),
    ]


def make_history(path):
    with sqlite3.connect(path) as db:
        db.executescript(SCHEMA)
        for number, (host, when, name, (lower, upper, nominal), lines) in \
                enumerate(synthetic_downloads(), start=1):
            values = [float(line.split("\t")[1]) for line in lines
                      if not line.startswith("D") and "ERR" not in line]
            figures = expected_figures(values, lower, upper)
            fingerprint = hashlib.sha256(
                b"".join(line.encode("latin-1") + b"\n" for line in lines)).hexdigest()
            record = {
                "uid": f"00000000-0000-4000-8000-{number:012d}", "program": "qorb-download",
                "program_version": "1.02", "host": host, "account": "operator",
                "pressed_at": f"2026-12-{when}:00:00+01:00",
                "ended_at": f"2026-12-{when}:01:00+01:00", "port": "Com 1",
                "device": "/dev/ttyUSB0", "baud": 9600, "include_statistics": 1,
                "include_deletes": 1, "space_delimiters": 0, "statistics_announced": 1,
                "memory_announced": len(lines), "rows_received": len(lines) + 1,
                "rows_written": len(lines) + 1, "complete": 1, "fingerprint": fingerprint,
                "ended_with": f"Transfer Complete - Data saved in file /home/operator/prüf "
                              f"{number}.xlsx",
                "file": f"/home/operator/prüf {number}.xlsx", "form": "xlsx",
                "characteristic": name, "lower_limit": lower, "upper_limit": upper,
                "nominal": nominal, "value_field": 2, "unit": "mm",
            }
            record.update({column: None if isinstance(figures[name], str) else figures[name]
                           for column, name in FIGURE_COLUMNS.items()})
            columns = ", ".join(record)
            marks = ", ".join("?" for _ in record)
            cursor = db.execute(f"INSERT INTO downloads ({columns}) VALUES ({marks})",
                                list(record.values()))
            points = [("Statistics", f"N\t{len(values)}", 0, 0, None)]
            for line in lines:
                deleted = line.startswith("D")
                value = None if deleted or "ERR" in line else float(line.split("\t")[1])
                points.append(("Memory", line, int(deleted), int(value is not None), value))
            db.executemany(
                "INSERT INTO points (download_id, position, section, line, deleted, counted, "
                "value) VALUES (?, ?, ?, ?, ?, ?, ?)",
                [(cursor.lastrowid, position, *point)
                 for position, point in enumerate(points, start=1)])


def self_test(writer, recalc):
    with tempfile.TemporaryDirectory(prefix="trend-self-test.") as scratch:
        history = os.path.join(scratch, "history.sqlite")
        book = os.path.join(scratch, "trend.xlsx")
        make_history(history)
        command = [part.format(history=history, book=book, characteristic=BORE)
                   for part in shlex.split(writer)]
        done = subprocess.run(command, capture_output=True, text=True)
        if done.returncode != 0 or not os.path.exists(book):
            fault(f"{' '.join(command)} made no workbook (status {done.returncode}): "
                  f"{done.stdout}{done.stderr}")
            return None
        options = argparse.Namespace(characteristic=BORE, whole_history=True, recalc=recalc)
        return "self-test: " + check(book, history, options)


def main():
    parser = argparse.ArgumentParser(
        description=__doc__.split("\n\n")[0],
        formatter_class=argparse.RawDescriptionHelpFormatter)
    commands = parser.add_subparsers(dest="command", required=True)
    checking = commands.add_parser("check", help="check a trend workbook against its history")
    checking.add_argument("book", help="the trend workbook")
    checking.add_argument("history", help="the SQLite history it was made from")
    checking.add_argument("--characteristic", metavar="NAME",
                          help="the characteristic selected, which the title names")
    checking.add_argument("--whole-history", action="store_true",
                          help="every download of the history (of the characteristic) is listed")
    checking.add_argument("--recalc", action="store_true",
                          help="LibreOffice and Gnumeric recalculate it too")
    making = commands.add_parser("make-history", help="write the synthetic history")
    making.add_argument("history", help="the SQLite file to make (must not exist)")
    testing = commands.add_parser("self-test", help="check a writer on the synthetic history")
    testing.add_argument("--writer", required=True, metavar="COMMAND",
                         help="writes {book} from {history} for {characteristic}")
    testing.add_argument("--recalc", action="store_true")
    options = parser.parse_args()
    if options.command == "make-history":
        if os.path.exists(options.history):
            parser.error(f"{options.history} exists already")
        make_history(options.history)
        said = f"synthetic history {options.history}: {len(synthetic_downloads())} downloads"
    elif options.command == "self-test":
        said = self_test(options.writer, options.recalc)
    else:
        said = check(options.book, options.history, options)
    for message in faults:
        print(f"trend_check: {message}", file=sys.stderr)
    if said:
        print(said)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
