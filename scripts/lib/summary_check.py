"""The workbook's Summary sheet, read back as a spreadsheet would and checked against Python's own
statistics of the same points; used by spreadsheet_check.py (its "xlsx" form).

What is checked: the labels in their order; the inputs (limits, nominal) with their starting
values, shaded and validated as numbers with an input message; the value field and its unit; every
figure a formula over a bounded block (never a whole column) whose cached result equals Python's
statistics of the counted values, or the short text that says why it cannot be computed; the
helper block of counted values, whose cells refer to the Points sheet's memory rows in order, and
the moving ranges beside them, one plain formula per value but the first, which the average moving
range averages; no formula of the workbook with anything inside SUMPRODUCT but one comparison
counted (range arithmetic there is array arithmetic to some engines and implicit intersection to
others); the two charts (a run chart of the counted values with its five level lines, a histogram
of two series over the bins); the red fill on the Points sheet (a formula rule guarded with ISNUMBER
that reads the Summary's limit cells). With recalc, LibreOffice and Gnumeric each recalculate a copy
whose cached results are all blanked out (spreadsheet_engines.py): every figure must be Python's
again, every other formula's result the one written; then the limits are changed in a copy and each
engine's figures must follow them.
"""

import math
import os
import re
import statistics
import tempfile

from spreadsheet_engines import ENGINES, EngineError, recalculated

LABELS = [
    "Lower limit (LSL)", "Upper limit (USL)", "Nominal", "Value field", "Unit", "Points", "Mean",
    "Standard deviation", "Minimum", "Maximum", "Range", "Average moving range",
    "Short-term sigma", "Cp", "Cpk", "Pp", "Ppk", "Below LSL", "Above USL", "Out of tolerance",
    "Out of tolerance share", "LCL", "UCL",
]
INPUTS = LABELS[:3]
FIGURES = LABELS[5:]
LIMIT_FIGURES = ["Cpk", "Below LSL", "Above USL", "Out of tolerance", "Out of tolerance share"]

NEEDS_A_VALUE = "needs a value"
NEEDS_TWO = "needs 2 values"
NEEDS_BOTH = "needs LSL and USL"
NEEDS_A_LIMIT = "needs LSL or USL"
NEEDS_LOWER = "needs LSL"
NEEDS_UPPER = "needs USL"
IN_ORDER = "needs LSL below USL"
ZERO_SPREAD = "zero spread"

D2 = 1.128  # of moving ranges of two
WHOLE_COLUMN = re.compile(r"(?<![A-Z$])\$?[A-Z]{1,3}:\$?[A-Z]{1,3}(?![A-Z0-9(])")
CELL = re.compile(r"^(?:(\w+)!)?\$?([A-Z]{1,3})\$?(\d+)$")
AVERAGE_OF = re.compile(r"AVERAGE\(([^()]*)\)")
MOVING_RANGE = re.compile(r"=ABS\(([$A-Z0-9]+)-([$A-Z0-9]+)\)")
# What SUMPRODUCT may hold: one comparison of a range or name with a cell or name, counted.
COUNTED_COMPARISON = re.compile(r"--\(\s*[\w$:!]+\s*(?:<=|>=|<>|<|>|=)\s*[\w$!.]+\s*\)")


def decimals_of(field):
    match = re.fullmatch(r"[+-]?(\d+)(?:\.(\d+))?", field)
    if not match or len((match.group(1) + (match.group(2) or "")).lstrip("0")) > 15:
        return None
    return len(match.group(2) or "")


def value_field(memory):
    """The field in which most rows that are not deleted hold a number with decimals, the
    leftmost on a tie; with no such number, the field with most numbers; None with no number."""
    fractional, numbers = {}, {}
    for fields in memory:
        if fields[0].startswith("D"):
            continue
        for index, field in enumerate(fields, start=1):
            decimals = decimals_of(field)
            if decimals is not None:
                numbers[index] = numbers.get(index, 0) + 1
                fractional[index] = fractional.get(index, 0) + (decimals > 0)
    for tally in (fractional, numbers):
        best = max(tally.values(), default=0)
        if best > 0:
            return min(index for index, count in tally.items() if count == best)
    return None


def counted(memory, field):
    """(memory row index, value, unit) for each counted value, in the gauge's order."""
    values = []
    for index, fields in enumerate(memory):
        if fields[0].startswith("D") or field > len(fields):
            continue
        if decimals_of(fields[field - 1]) is not None:
            unit = fields[field] if field < len(fields) else ""
            values.append((index, float(fields[field - 1]), unit))
    return values


def expected_figures(values, lower, upper):
    """Each figure as Python's statistics module gives it, or the text that says why not."""
    n = len(values)
    both = lower is not None and upper is not None
    out_of_order = both and lower >= upper
    one, two = n >= 1, n >= 2
    figures = {"Points": n}
    figures["Mean"] = statistics.fmean(values) if one else NEEDS_A_VALUE
    figures["Standard deviation"] = statistics.stdev(values) if two else NEEDS_TWO
    figures["Minimum"] = min(values) if one else NEEDS_A_VALUE
    figures["Maximum"] = max(values) if one else NEEDS_A_VALUE
    figures["Range"] = max(values) - min(values) if one else NEEDS_A_VALUE
    moving = [abs(b - a) for a, b in zip(values, values[1:])]
    figures["Average moving range"] = statistics.fmean(moving) if two else NEEDS_TWO
    sigma = figures["Average moving range"] / D2 if two else NEEDS_TWO
    figures["Short-term sigma"] = sigma
    zero_spread = one and max(values) == min(values)

    def potential(spread):
        if not both:
            return NEEDS_BOTH
        if out_of_order:
            return IN_ORDER
        if not two:
            return NEEDS_TWO
        return ZERO_SPREAD if zero_spread else (upper - lower) / (6 * spread)

    def actual(spread):
        if lower is None and upper is None:
            return NEEDS_A_LIMIT
        if out_of_order:
            return IN_ORDER
        if not two:
            return NEEDS_TWO
        if zero_spread:
            return ZERO_SPREAD
        mean = figures["Mean"]
        sides = ([upper - mean] if upper is not None else []) + \
            ([mean - lower] if lower is not None else [])
        return min(sides) / (3 * spread)

    figures["Cp"], figures["Cpk"] = potential(sigma), actual(sigma)
    deviation = figures["Standard deviation"]
    figures["Pp"], figures["Ppk"] = potential(deviation), actual(deviation)
    below = sum(v < lower for v in values) if lower is not None else 0
    above = sum(v > upper for v in values) if upper is not None else 0
    figures["Below LSL"] = NEEDS_LOWER if lower is None else IN_ORDER if out_of_order else below
    figures["Above USL"] = NEEDS_UPPER if upper is None else IN_ORDER if out_of_order else above
    out = NEEDS_A_LIMIT if lower is None and upper is None else \
        IN_ORDER if out_of_order else below + above
    figures["Out of tolerance"] = out
    figures["Out of tolerance share"] = NEEDS_A_VALUE if not one else \
        out / n if not isinstance(out, str) else out
    reach = 2.66 * figures["Average moving range"] if two else None
    figures["LCL"] = figures["Mean"] - reach if two else NEEDS_TWO
    figures["UCL"] = figures["Mean"] + reach if two else NEEDS_TWO
    return figures


def same(found, expected, scale):
    """A number within 1e-9 relative (and a hair absolute, for a figure that is about zero), or
    the same text."""
    if isinstance(expected, str):
        return found == expected
    if isinstance(found, bool) or not isinstance(found, (int, float)):
        return False
    return math.isclose(found, expected, rel_tol=1e-9, abs_tol=1e-12 * scale)


def cell_of(reference):
    """(sheet or None, column letters, row) of "Sheet!$A$1" or "A1"."""
    match = CELL.match(reference.replace("'", ""))
    return (match.group(1), match.group(2), int(match.group(3))) if match else None


def span(reference):
    """(sheet or None, column letters, first row, last row) of a cell or a range in one column."""
    first, _, last = (reference or "").partition(":")
    first, last = cell_of(first), cell_of(last or first)
    if not first or not last or first[1] != last[1] or (last[0] or first[0]) != first[0]:
        return None
    return first[0], first[1], first[2], last[2]


def sumproduct_arguments(formula):
    """What each SUMPRODUCT of a formula holds between its parentheses."""
    found = []
    for match in re.finditer(r"SUMPRODUCT\(", formula):
        depth, start = 1, match.end()
        for at in range(start, len(formula)):
            depth += {"(": 1, ")": -1}.get(formula[at], 0)
            if depth == 0:
                found.append(formula[start:at])
                break
    return found


def check_sumproducts(book, fault):
    """Every SUMPRODUCT in the workbook counts one comparison, which every engine computes
    alike."""
    for sheet in book.worksheets:
        for row in sheet.iter_rows():
            for cell in row:
                if cell.data_type != "f":
                    continue
                for inside in sumproduct_arguments(str(cell.value)):
                    if not COUNTED_COMPARISON.fullmatch(inside):
                        fault(f"{sheet.title}!{cell.coordinate}: SUMPRODUCT({inside}) is more "
                              f"than one comparison counted")


def recalculated_by_engines(check, follow, inputs, moved, scratch, fault):
    """Each engine: check(engine) has it recalculate the workbook and says how many formulas it
    checked; with `moved` limits typed into a copy (inputs: the workbook's path, the sheet and the
    rows of column B that take them), follow(engine, book) checks the engine's recalculation of
    the copy. What was checked, or None."""
    import openpyxl

    if moved:
        path, sheet, rows = inputs
        edited = openpyxl.load_workbook(path)
        for row, limit in zip(rows, moved):
            edited[sheet].cell(row, 2).value = limit
        edited_path = os.path.join(scratch, "limits.xlsx")
        edited.save(edited_path)
    said = []
    for engine in ENGINES:
        try:
            checked = check(engine)
            if moved:
                follow(engine, recalculated(engine, edited_path, scratch))
        except EngineError as error:
            fault(str(error))
            continue
        said.append(f"{engine} {checked} formulas")
    return f"recalculated by {' and '.join(said)} to the same results" + \
        (", and new limits followed" if moved else "") if said else None


def defined_names(book):
    names = getattr(book.defined_names, "definedName", None)
    if names is None:  # openpyxl 3.1 keeps them in a dictionary
        names = book.defined_names.values()
    return {name.name: name.attr_text for name in names}


class SummaryCheck:
    def __init__(self, path, book, values_book, rows, options, fault):
        self.path, self.book, self.values_book = path, book, values_book
        self.fault = fault
        self.statistics_rows = sum(section == "Statistics" for section, _ in rows)
        self.memory = [fields for section, fields in rows if section == "Memory"]
        self.lower, self.upper = options.lower_limit, options.upper_limit
        self.nominal = options.nominal
        self.field = options.value_field or value_field(self.memory)
        self.points = counted(self.memory, self.field) if self.field else []
        self.values = [value for _, value, _ in self.points]
        self.scale = max([abs(v) for v in self.values] + [1.0])
        self.rows = {}  # label: row of the Summary

    def run(self):
        sheet = self.book["Summary"]
        if not self.values:
            return self.check_no_figures(sheet)
        self.check_labels(sheet)
        if len(self.rows) != len(LABELS):
            return None
        self.check_title(sheet)
        self.check_inputs(sheet)
        self.check_figures(sheet, self.values_book["Summary"])
        self.check_counted_block(sheet)
        self.check_moving_ranges(sheet)
        self.check_sumproducts()
        self.check_charts(sheet)
        self.check_red_fill()
        return len(self.values)

    def check_no_figures(self, sheet):
        texts = [c.value for row in sheet.iter_rows() for c in row if c.value is not None]
        if len(texts) != 1 or not str(texts[0]).startswith("No figures"):
            self.fault(f"Summary: no field holds a counted number, so one line saying so was "
                       f"expected, found {texts[:5]}")
        if sheet._charts:
            self.fault(f"Summary: {len(sheet._charts)} charts without figures")
        return 0

    def check_labels(self, sheet):
        found = [(c.row, c.value) for c in sheet["A"] if isinstance(c.value, str)]
        starts = [i for i, (_, label) in enumerate(found) if label == LABELS[0]]
        labels = [label for _, label in found[starts[0]:]] if starts else []
        if labels != LABELS:
            self.fault(f"Summary: the labels in column A are {labels or [v for _, v in found]}, "
                       f"not {LABELS}")
            return
        self.rows = {label: row for row, label in found[starts[0]:]}

    def check_title(self, sheet):
        """"Summary", or "Summary: " and the characteristic the Download sheet names."""
        download = self.book["Download"] if "Download" in self.book.sheetnames else None
        named = {download.cell(r, 1).value: download.cell(r, 2).value
                 for r in range(1, download.max_row + 1)} if download else {}
        characteristic = named.get("Characteristic")
        expected = f"Summary: {characteristic}" if characteristic else "Summary"
        if sheet["A1"].value != expected:
            self.fault(f"Summary!A1: the title is {sheet['A1'].value!r}, expected {expected!r}")

    def check_inputs(self, sheet):
        validations = [v for v in sheet.data_validations.dataValidation]
        for label, expected in zip(INPUTS, (self.lower, self.upper, self.nominal)):
            cell = sheet.cell(self.rows[label], 2)
            if (cell.value is None) != (expected is None) or \
                    (expected is not None and not same(cell.value, expected, 1)):
                self.fault(f"Summary!{cell.coordinate} ({label}): {cell.value!r}, expected "
                           f"{expected!r}")
            if cell.fill.fill_type != "solid":
                self.fault(f"Summary!{cell.coordinate} ({label}): not shaded as an input")
            rules = [v for v in validations if cell.coordinate in str(v.sqref).split()]
            if not any(v.type == "decimal" and v.showInputMessage and v.prompt for v in rules):
                self.fault(f"Summary!{cell.coordinate} ({label}): no number validation with an "
                           f"input message")
        field = sheet.cell(self.rows["Value field"], 2).value
        if field != f"Field {self.field}":
            self.fault(f"Summary: the value field is {field!r}, expected 'Field {self.field}'")
        units = {unit for _, _, unit in self.points}
        unit = units.pop() if len(units) == 1 else ""
        found = sheet.cell(self.rows["Unit"], 2).value
        if (found or "") != unit:
            self.fault(f"Summary: the unit is {found!r}, expected {unit!r}")

    def check_figures(self, sheet, values):
        expected = expected_figures(self.values, self.lower, self.upper)
        for label in FIGURES:
            formula = sheet.cell(self.rows[label], 2).value
            result = values.cell(self.rows[label], 2).value
            where = f"Summary!B{self.rows[label]} ({label})"
            if not isinstance(formula, str) or not formula.startswith("="):
                self.fault(f"{where}: {formula!r} is no formula")
            elif WHOLE_COLUMN.search(formula):
                self.fault(f"{where}: {formula} reads a whole column")
            if isinstance(result, str) and result.startswith("#"):
                self.fault(f"{where}: an error value {result}")
            elif not same(result, expected[label], self.scale):
                self.fault(f"{where}: the result written is {result!r}, Python's is "
                           f"{expected[label]!r}")
        share = sheet.cell(self.rows["Out of tolerance share"], 2).number_format
        if "%" not in share:
            self.fault(f"Summary: the out of tolerance share is shown as {share!r}, no percentage")

    def counted_block(self):
        """The Summary's block of counted values, as the name CountedValues gives it."""
        block = defined_names(self.book).get("CountedValues", "")
        found = span(block)
        if not found or found[0] != "Summary":
            self.fault(f"Summary: CountedValues is {block!r}, not a column of the Summary")
            return None
        return found[1:]

    def check_counted_block(self, sheet):
        """Its cells refer, in order, to the Points sheet's cells of the counted values."""
        block = self.counted_block()
        if not block:
            return
        column, first, last = block
        if last - first + 1 != len(self.points):
            self.fault(f"Summary: CountedValues holds {last - first + 1} cells for "
                       f"{len(self.points)} counted values")
        points_column = sheet.cell(1, self.field + 1).column_letter
        memory_top = self.statistics_rows + 2
        for (index, _, _), row in zip(self.points, range(first, last + 1)):
            formula = sheet[f"{column}{row}"].value
            wanted = ("Points", points_column, memory_top + index)
            if not isinstance(formula, str) or cell_of(formula.lstrip("=")) != wanted:
                self.fault(f"Summary!{column}{row}: {formula!r}, expected a reference to "
                           f"Points!{points_column}{memory_top + index}")
                break

    def check_moving_ranges(self, sheet):
        """The average moving range averages a helper column whose k-th cell is the absolute
        difference of the (k+1)-th and k-th counted values' cells, written with its result."""
        block = self.counted_block()
        if len(self.values) < 2 or not block:
            return
        column, first, _ = block
        row = self.rows["Average moving range"]
        formula = sheet.cell(row, 2).value or ""
        averaged = AVERAGE_OF.search(formula)
        found = span(averaged.group(1)) if averaged else None
        if not found or found[0] not in (None, "Summary") or \
                found[3] - found[2] + 1 != len(self.values) - 1:
            self.fault(f"Summary!B{row}: {formula!r} is not the average of a helper column of "
                       f"{len(self.values) - 1} moving ranges")
            return
        helper = found[1]
        written = self.values_book["Summary"]
        for k, helper_row in enumerate(range(found[2], found[3] + 1)):
            where = f"{helper}{helper_row}"
            pair = MOVING_RANGE.fullmatch(sheet[where].value or "")
            if not pair or [cell_of(reference) for reference in pair.groups()] != \
                    [(None, column, first + k + 1), (None, column, first + k)]:
                self.fault(f"Summary!{where}: {sheet[where].value!r}, expected "
                           f"=ABS({column}{first + k + 1}-{column}{first + k})")
                return
            moving = abs(self.values[k + 1] - self.values[k])
            if not same(written[where].value, moving, self.scale):
                self.fault(f"Summary!{where}: the result written is {written[where].value!r}, "
                           f"Python's is {moving!r}")
                return

    def check_sumproducts(self):
        check_sumproducts(self.book, self.fault)

    def check_charts(self, sheet):
        charts = {type(chart).__name__: chart for chart in sheet._charts}
        if len(sheet._charts) != 2 or set(charts) != {"ScatterChart", "BarChart"}:
            self.fault(f"Summary: charts {[type(c).__name__ for c in sheet._charts]}, expected a "
                       f"run chart (scatter) and a histogram (bars)")
            return
        block = self.counted_block()
        run = charts["ScatterChart"].series
        if block:
            found = run[0].yVal.numRef.f if run and run[0].yVal is not None else None
            if span(found) != ("Summary",) + block:
                self.fault(f"Summary: the run chart's values are {found}, not the counted values "
                           f"(CountedValues)")
        if len(run) != 6:
            self.fault(f"Summary: the run chart has {len(run)} series, expected the values and "
                       f"LSL, USL, mean, LCL and UCL")
        bars = charts["BarChart"].series
        bins = [series.val.numRef.f for series in bars if series.val is not None]
        counts = self.bar_counts(sheet, bins)
        if len(bars) != 2 or counts is None:
            self.fault(f"Summary: the histogram's series are {bins}, expected two columns of "
                       f"bin counts on the Summary")
        elif not 8 <= len(counts) <= 30 or sum(counts) != len(self.values):
            self.fault(f"Summary: the histogram's {len(counts)} bins count {sum(counts)} values, "
                       f"expected 8 to 30 bins counting {len(self.values)}")

    def bar_counts(self, sheet, ranges):
        """Each bin's count over the histogram's series, read from the workbook's results."""
        values = self.values_book["Summary"]
        totals = None
        for reference in ranges:
            found = span(reference)
            if not found or found[0] != "Summary":
                return None
            _, column, first, last = found
            cells = [values[f"{column}{row}"].value for row in range(first, last + 1)]
            formulas = [sheet[f"{column}{row}"].value for row in range(first, last + 1)]
            if not all(isinstance(f, str) and f.startswith("=") for f in formulas):
                return None
            totals = cells if totals is None else [a + b for a, b in zip(totals, cells)]
        return totals

    def check_red_fill(self):
        points = self.book["Points"]
        column = points.cell(1, self.field + 1).column_letter
        first = self.statistics_rows + 2
        wanted = (None, column, first, first + len(self.memory) - 1)
        names = defined_names(self.book)
        limit_cells = {name: names.get(name) for name in ("LowerLimit", "UpperLimit")}
        for name, label in zip(limit_cells, INPUTS):
            if cell_of(limit_cells[name] or "") != ("Summary", "B", self.rows[label]):
                self.fault(f"{name} is {limit_cells[name]!r}, not the Summary's {label} cell")
        rules = [(str(entry.sqref), rule) for entry in points.conditional_formatting
                 for rule in entry.rules]
        good = [rule for where, rule in rules if span(where) == wanted and rule.type == "expression"
                and all(f"ISNUMBER({name})" in rule.formula[0] for name in limit_cells)
                and rule.dxf is not None and rule.dxf.fill is not None]
        if not good:
            self.fault(f"Points: no formula rule over {column}{first}:{column}{wanted[3]} guarded "
                       f"with ISNUMBER of both "
                       f"limits; found {[(w, r.type, r.formula) for w, r in rules]}")

    # The engines, recalculating.

    def recalc(self, scratch):
        """Each engine recalculates the Summary from scratch to Python's figures and the results
        written, then follows new limits: what was checked."""
        if not self.values or len(self.rows) != len(LABELS):
            return None
        # New limits in the engineer's hands: a band around the mean that leaves values out.
        moved = None
        if len(self.values) >= 2 and max(self.values) != min(self.values):
            mean, spread = statistics.fmean(self.values), statistics.stdev(self.values)
            moved = (mean - spread / 2, mean + spread / 2)
        return recalculated_by_engines(
            lambda engine: self.recalculated_by(engine, scratch),
            lambda engine, book: self.follows(engine, book, *moved),
            (self.path, "Summary", [self.rows[label] for label in INPUTS]), moved, scratch,
            self.fault)

    def recalculated_by(self, engine, scratch):
        """Checks one engine's results: each figure against Python's, each helper cell against
        the result written. How many formulas it checked."""
        theirs = recalculated(engine, self.path, scratch)["Summary"]
        written = self.values_book["Summary"]
        expected = expected_figures(self.values, self.lower, self.upper)
        figures = {self.rows[label]: label for label in FIGURES}
        checked = 0
        for row in self.book["Summary"].iter_rows():
            for cell in row:
                if cell.data_type != "f":
                    continue
                checked += 1
                computed = theirs[cell.coordinate].value
                if cell.column == 2 and cell.row in figures:
                    wanted, whose = expected[figures[cell.row]], "Python's is"
                else:
                    wanted, whose = written[cell.coordinate].value, "the workbook holds"
                if not same(computed, wanted, self.scale):
                    self.fault(f"{engine}: Summary!{cell.coordinate} {cell.value} gives "
                               f"{computed!r}, {whose} {wanted!r}")
        return checked

    def follows(self, engine, book, lower, upper):
        expected = expected_figures(self.values, lower, upper)
        for label in FIGURES:
            found = book["Summary"].cell(self.rows[label], 2).value
            if not same(found, expected[label], self.scale):
                self.fault(f"{engine}, limits {lower:.6g} and {upper:.6g}: {label} is "
                           f"{found!r}, Python's is {expected[label]!r}")


def check_summary(path, rows, options, fault):
    """Checks the Summary of the workbook at path; a line saying what was checked."""
    check = SummaryCheck(path, *formulas_and_results(path), rows, options, fault)
    values = check.run()
    said = f"Summary of Field {check.field}: {values} values" if values else \
        "Summary: no figures, as no field holds a number"
    return with_engines(check, said) if options.recalc and values else said


def formulas_and_results(path):
    """The workbook read twice: its formulas, and the results written with them."""
    import openpyxl

    with open(path, "rb") as file:
        book = openpyxl.load_workbook(file)
    with open(path, "rb") as file:
        return book, openpyxl.load_workbook(file, data_only=True)


def with_engines(check, said):
    """What was said, and what check.recalc(scratch) says of the engines' recalculation."""
    with tempfile.TemporaryDirectory(prefix="spreadsheet-engines.") as scratch:
        engines = check.recalc(scratch)
    return said + "; " + engines if engines else said
