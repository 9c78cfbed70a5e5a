"""LibreOffice and Gnumeric as the reader's checks run them, headless: recalculating a workbook
from scratch, and opening a CSV file as a user of each would. Used by summary_check.py and
spreadsheet_check.py; every function here leaves its files in the scratch folder it is given.

recalculated(engine, book, scratch): the workbook as the engine ("LibreOffice" or "Gnumeric")
recalculates it, read back with openpyxl (values only). The engine gets a copy whose formulas'
written results are all blanked out, so every result read back is its own: LibreOffice in a
private profile whose OOXML recalculation mode is "always", Gnumeric by `ssconvert --recalc`.

opened_csv(engine, path, scratch, decimal): the CSV file as the engine opens it with its
defaults (formulas evaluated), separator and decimal mark as the locale of the decimal mark
("point": "," and "."; "comma": ";" and ","), saved as a workbook and read back with openpyxl
(formulas kept as formulas).

Both raise EngineError, with what the engine said, when it fails.
"""

import os
import re
import shutil
import subprocess
import zipfile

ENGINES = ("LibreOffice", "Gnumeric")
TIMEOUT = 180  # seconds; a first LibreOffice start on a cold machine takes about 10

LIBREOFFICE_RECALC_PROFILE = """<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry"
    xmlns:xs="http://www.w3.org/2001/XMLSchema"
    xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Calc/Formula/Load">
<prop oor:name="OOXMLRecalcMode" oor:op="fuse"><value>0</value></prop></item>
</oor:items>
"""
# LibreOffice's CSV import: separator, quote, UTF-8, from line 1, no column formats, language,
# then its defaults up to the 13th token, "evaluate formulas", on as in its import dialog.
LIBREOFFICE_CSV = {
    "point": "CSV:44,34,76,1,,1033,false,false,false,false,false,-1,true",
    "comma": "CSV:59,34,76,1,,1031,false,false,false,false,false,-1,true",
}
# Gnumeric takes the decimal mark from the locale and finds the separator itself.
GNUMERIC_LOCALE = {"point": "C.UTF-8", "comma": "de_DE.UTF-8"}


class EngineError(Exception):
    pass


def blank_results(path, blanked):
    """A copy whose formulas' results all read 0: an engine must compute every one itself."""
    with zipfile.ZipFile(path) as source, zipfile.ZipFile(blanked, "w",
                                                          zipfile.ZIP_DEFLATED) as target:
        for item in source.infolist():
            data = source.read(item.filename)
            if item.filename.startswith("xl/worksheets/sheet"):
                text = data.decode("utf-8")
                text = re.sub(r'(<c [^>]*?) t="str"([^>]*><f>)', r"\1\2", text)
                text = re.sub(r"(</f>)<v>[^<]*</v>", r"\1<v>0</v>", text)
                data = text.encode("utf-8")
            target.writestr(item, data)


def run(engine, command, made, environment=None):
    """Runs an engine's command that must make the file `made`."""
    try:
        done = subprocess.run(command, capture_output=True, text=True, timeout=TIMEOUT,
                              env=environment)
    except (OSError, subprocess.TimeoutExpired) as error:
        raise EngineError(f"{engine} did not run: {error}") from error
    if done.returncode != 0 or not os.path.exists(made):
        raise EngineError(f"{engine} made no {made} (status {done.returncode}): "
                          f"{done.stdout}{done.stderr}")
    return made


def libreoffice(source, scratch, infilter=None):
    """The source converted to a workbook by LibreOffice: the new file's path."""
    profile = os.path.join(scratch, "libreoffice-profile")
    os.makedirs(os.path.join(profile, "user"), exist_ok=True)
    with open(os.path.join(profile, "user", "registrymodifications.xcu"), "w") as file:
        file.write(LIBREOFFICE_RECALC_PROFILE)
    out = os.path.join(scratch, "libreoffice-out")
    shutil.rmtree(out, ignore_errors=True)
    command = ["libreoffice", f"-env:UserInstallation=file://{profile}", "--headless"]
    command += [f"--infilter={infilter}"] if infilter else []
    command += ["--convert-to", "xlsx", "--outdir", out, source]
    made = os.path.join(out, os.path.splitext(os.path.basename(source))[0] + ".xlsx")
    return run("LibreOffice", command, made)


def gnumeric(source, scratch, recalc=False, locale="C.UTF-8"):
    """The source converted to a workbook by Gnumeric's ssconvert: the new file's path."""
    made = os.path.join(scratch, "gnumeric-" + os.path.splitext(os.path.basename(source))[0] +
                        ".xlsx")
    if os.path.exists(made):
        os.remove(made)
    command = ["ssconvert"] + (["--recalc"] if recalc else []) + [source, made]
    return run("Gnumeric", command, made, dict(os.environ, LC_ALL=locale))


def load(path, data_only):
    import warnings

    import openpyxl  # Debian's python3-openpyxl

    with warnings.catch_warnings():  # a workbook an engine saved may lack a default style
        warnings.simplefilter("ignore")
        return openpyxl.load_workbook(path, data_only=data_only)


def recalculated(engine, book, scratch):
    """The workbook at `book` as the engine recalculates it from scratch, values only."""
    blank = os.path.join(scratch, "blank-" + os.path.basename(book))
    blank_results(book, blank)
    if engine == "LibreOffice":
        return load(libreoffice(blank, scratch), data_only=True)
    return load(gnumeric(blank, scratch, recalc=True), data_only=True)


def opened_csv(engine, path, scratch, decimal):
    """The CSV file at `path` as the engine opens it, formulas kept."""
    # The engines go by the name's extension: a CSV written to standard output may have none.
    source = os.path.join(scratch, "opened.csv")
    shutil.copyfile(path, source)
    if engine == "LibreOffice":
        return load(libreoffice(source, scratch, LIBREOFFICE_CSV[decimal]), data_only=False)
    return load(gnumeric(source, scratch, locale=GNUMERIC_LOCALE[decimal]), data_only=False)
