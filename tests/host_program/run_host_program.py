#!/usr/bin/env python3
"""Runs the stand-in host program on the sample case, on bad input and on the
traps of an initialization string.

The sample's CSV (bindings, exchanged values, exit status) must equal the
reviewed golden file; each bad input must end with its own exit status and a
message that names the file and, where it has one, the line; `check` must
find each trap of an initialization string at its line; the driver's plant
report of the sample with a misspelled tag must equal its golden file and
word each binding as the desk tool does; a run must explain
every unbound item, keep its memory whatever its length, and draw, print as
JSON and judge (--strict) what it did. With --update the golden files are
rewritten from the sample's runs instead. --part NAME runs one part (CTest
runs each as a test of its own), --list names them.
"""
import argparse
import csv
import difflib
import io
import json
import os
import pathlib
import shlex
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree
import zlib

HERE = pathlib.Path(__file__).resolve().parent
EXAMPLES = HERE.parent.parent / "examples"
GOLDEN = HERE / "tank.golden.csv"
# The driver's plant report of the sample with one misspelled tag added.
MISSPELLED = HERE / "tank_misspelled.toml"
REPORT_GOLDEN = HERE / "tank_misspelled.report"
TANK_INIT = (EXAMPLES / "tank.init").read_text()
TANK_CASE = (EXAMPLES / "tank.toml").read_text()
ROOT = HERE.parent.parent
# `diff` runs from the repository's root with relative paths, as the README
# shows it: (arguments, golden file of its exact output).
DIFFS = [
    (["examples/tank.init", "tests/host_program/tank_changed.init", "--case",
      "examples/tank.toml"], HERE / "tank_changed.diff"),
    (["tests/host_program/diff_old.init", "tests/host_program/diff_new.init", "--case",
      "tests/host_program/diff_case.toml"], HERE / "every_change.diff"),
]

BAD_INPUT = [
    # (arguments, exit status, text the error must contain)
    ([str(HERE / "missing.toml")], 1,
     f"{HERE / 'missing.toml'}: cannot open the case file: No such file or directory"),
    ([str(HERE / "bad_syntax.toml")], 1, f"{HERE / 'bad_syntax.toml'}:3: "),
    ([str(HERE / "bad_ds.toml")], 1, f"{HERE / 'bad_ds.toml'}:8: 'ds' must be an integer"),
    ([str(HERE / "duplicate.toml")], 1,
     f"{HERE / 'duplicate.toml'}:10: duplicate item 'level' (first at line 5)"),
    ([str(HERE / "negative_steps.toml")], 1,
     f"{HERE / 'negative_steps.toml'}:2: 'steps' must not be negative"),
    ([str(EXAMPLES / "tank.toml"), "--steps", "-3"], 1, "--steps"),
    ([str(EXAMPLES / "tank.toml"), "--steps", "abc"], 1, "'abc' is not an integer"),
    ([str(EXAMPLES / "tank.toml"), "--every", "0"], 1,
     "'0' must lie between 1 and 2147483647"),
    ([str(EXAMPLES / "tank.toml"), "--init", str(HERE / "missing.init")], 1,
     f"{HERE / 'missing.init'}: cannot open the initialization string"),
    ([str(EXAMPLES / "tank.toml"), "--init", str(HERE)], 1,
     f"{HERE}: cannot read the initialization string: it is a directory"),
    ([str(HERE)], 1, f"{HERE}: cannot read the case file: it is a directory"),
    ([str(EXAMPLES / "tank.toml"), "--driver", str(HERE / "missing.so")], 3,
     "cannot load the driver library"),
]

# Cases made from the sample by replacing one text: (what, old, new, the
# error, naming the line).
BAD_CASES = [
    ("an endless step", "step_seconds = 2.0", "step_seconds = inf",
     ":7: 'step_seconds' must be a finite number"),
    ("a negative level", "level_m = 0.8", "level_m = -0.8", ":11: 'level_m' must be zero or more"),
    ("a negative pump flow", "pump_flow_m3s = 0.02", "pump_flow_m3s = -0.02",
     ":12: 'pump_flow_m3s' must be zero or more"),
    ("a valve of no number", "valve_cv = 0.04", "valve_cv = nan",
     ":13: 'valve_cv' must be a finite number"),
]

# Initialization strings made from the sample's, each with one trap: (what,
# old, new, check's exit status, what check says, a run's exit status and
# what it says).
TRAPS = [
    ("CRLF line ends", "\n", "\r\n", 5,
     ['line 1: the line ends in a carriage return and a line feed (CRLF, 22 lines)',
      'line 2: "*AI*\\r" is not the header *AI*: it ends in a carriage return',
      "unusable: no tag is read: no section header is recognised"], 0,
     ["initialization string: line 1: the line ends in a carriage return",
      'unbound: no tag named "lic101.out": the catalogue holds no tags; it stands at line 8, '
      "before the first section header"]),
    ("a name with trailing blanks", "LT101.PV,", "LT101.PV  ,", 4,
     ['line 3: the AI tag name "LT101.PV  " has trailing blanks'], 0,
     ['unbound: no tag named "LT101.PV"; the AI tag at line 3 is "LT101.PV  "']),
    ("an empty token", "LT101.PV, tank level m, 1, 0.0, 4.0", "LT101.PV, a, 1, 0, 4,,", 4,
     ["reading: stopped at line 3: an empty token",
      "line 3: an empty token (two delimiters with only blanks between them) where a record "
      "would begin ends the reading"], 0,
     ["catalogue: AI 1, AO 0, DI 0, DO 0, DCD 0, CALC 0",
      'unbound: no tag named "lic101.out"; it stands at line 8, after the reading stopped at '
      "line 3 (an empty token)"]),
    ("a short record", "PT101.PV, pump discharge pressure bar, 2, 0.0, 10.0",
     "PT101.PV, pump discharge pressure bar, 2, 0.0", 4,
     ['line 7: the AI record "PT101.PV" (line 6) has too few fields: it takes "*AO*" as its High'],
     0, ['"lic101.out" data set 1 is only in AI, which controllers do not read (they read AO, DO, '
      'DCD and CALC); its record at line 8 follows the header "*AO*" at line 7, which the AI '
      'record "PT101.PV" (line 6) took as a field']),
    ("a lower-case header", "*DO*", "*do*", 4,
     ['line 13: "*do*" is not the header *DO*: headers match in exact letter case'], 0,
     ['unbound: no tag named "P101.CMD"']),
    ("33 bytes", TANK_INIT, "*AI*\nLT101.PV, level, 1, 0, 4\n", 5,
     ["unusable: the string holds 30 bytes; one of 33 bytes or less"], 2,
     ["catalogue: the emulator offers no tags", "Empty initialization string from Dravik."]),
]


def run(command, **options):
    return subprocess.run(command, capture_output=True, text=True, timeout=300, **options)


class Runner:
    def __init__(self, prefix, scratch):
        self.prefix = prefix
        self.scratch = scratch
        self.failures = []

    def fail(self, what):
        self.failures.append(what)

    def __call__(self, *arguments, **options):
        return run(self.prefix + [str(a) for a in arguments], **options)

    def write(self, name, text):
        path = self.scratch / name
        path.write_bytes(text.encode())
        return path

    def case(self, name, old=None, new=None, init=TANK_INIT):
        """The sample case with one text replaced, beside its own init string."""
        text = TANK_CASE
        if old is not None:
            assert old in text, old
            text = text.replace(old, new)
        self.write(f"{name}.init", init)
        return self.write(f"{name}.toml", text.replace('"tank.init"', f'"{name}.init"'))

    def expect(self, what, result, status, stdout=(), stderr=()):
        problems = []
        if result.returncode != status:
            problems.append(f"exit {result.returncode}, expected {status}")
        problems += [f"stdout lacks: {t}" for t in stdout if t not in result.stdout]
        problems += [f"stderr lacks: {t}" for t in stderr if t not in result.stderr]
        if problems:
            self.fail(f"{what}: " + "; ".join(problems) +
                      f"\n--- stdout:\n{result.stdout[-3000:]}--- stderr:\n{result.stderr[-2000:]}")


def sample_and_bad_input(t, update):
    sample = t(EXAMPLES / "tank.toml", "--csv", "--every", "1")
    produced = sample.stdout + f"# exit status {sample.returncode}\n"
    if sample.stderr:
        t.fail(f"the sample wrote to stderr:\n{sample.stderr}")
    if update:
        GOLDEN.write_text(produced)
        print(f"wrote {GOLDEN}")
    elif produced != GOLDEN.read_text():
        diff = difflib.unified_diff(GOLDEN.read_text().splitlines(), produced.splitlines(),
                                    "golden", "produced", lineterm="")
        t.fail("the sample's CSV differs from the golden file:\n" + "\n".join(diff))

    t.expect("a refused link", t(HERE / "no_tags.toml"), 2, ["Cannot Enable DCS Link"])
    for arguments, status, message in BAD_INPUT:
        result = t(*arguments)
        t.expect(" ".join(arguments), result, status, stderr=[message])
        if len(result.stderr) > 400:
            t.fail(f"{' '.join(arguments)}: an error of {len(result.stderr)} characters")
    for what, old, new, message in BAD_CASES:
        path = t.case("bad", old, new)
        t.expect(what, t(path), 1, stderr=[f"{path}{message}"])


def binding_lines(text, label):
    """Each binding line's text after its item's label, which the desk tool
    and the driver's report word alike."""
    import re
    return [re.sub(label, "", line) for line in text.splitlines()
            if re.match(label, line)]


def compare_golden(t, what, golden, produced, update):
    if update:
        golden.write_text(produced)
        print(f"wrote {golden}")
    elif produced != golden.read_text():
        diff = difflib.unified_diff(golden.read_text().splitlines(), produced.splitlines(),
                                    "golden", "produced", lineterm="")
        t.fail(f"{what} differs from {golden.name}:\n" + "\n".join(diff))


def diff_strings(t, update):
    for arguments, golden in DIFFS:
        result = t("diff", *arguments, cwd=ROOT)
        compare_golden(t, "diff " + " ".join(arguments), golden,
                       result.stdout + f"# exit status {result.returncode}\n", update)
        # JSON holds the same changes, each under its table.
        document = json.loads(t("diff", *arguments, "--json", cwd=ROOT).stdout)
        text_changes = [line.split()[0] for line in result.stdout.splitlines()
                        if line.startswith("  ") and not line.startswith("  controller") and
                        not line.startswith("  process variable")]
        json_changes = [c["change"] for table in document["tables"] for c in table["changes"]]
        changed = sum(len(c["changed"]) for c in document["cases"])
        if (json_changes, changed, document["exit_status"]) != \
                (text_changes, document["changed_items"], result.returncode):
            t.fail(f"diff --json differs from the text: {json_changes} {text_changes} "
                   f"{changed} {document['changed_items']} {document['exit_status']}")
    sample, changed = EXAMPLES / "tank.init", HERE / "tank_changed.init"
    unusable = t.write("unusable.init", "*AI*\n")
    for what, arguments, status, stderr in [
        ("the same string", [sample, sample, "--case", EXAMPLES / "tank.toml"], 0, ""),
        ("changes without cases", [sample, changed], 0, ""),
        ("changes no item meets", [sample, changed, "--case", HERE / "no_tags.toml"], 0, ""),
        ("changes an item meets", [sample, changed, "--case", HERE / "no_tags.toml",
                                   "--case", EXAMPLES / "tank.toml"], 4, ""),
        ("an unusable new string", [sample, unusable], 5, ""),
        ("an unusable old string", [unusable, sample, "--case", EXAMPLES / "tank.toml"], 5, ""),
        ("a missing string", [sample, HERE / "missing.init"], 1, "cannot open"),
        ("a bad case", [sample, changed, "--case", HERE / "bad_ds.toml"], 1, "bad_ds.toml:8:"),
    ]:
        t.expect(f"diff: {what}", t("diff", *arguments), status, stderr=[stderr])


def plant_report(t, update):
    report = t.scratch / "plant.report"
    with_report = t(MISSPELLED, "--csv", env=dict(os.environ, DRAVIK32_REPORT=str(report)))
    facts = report.read_bytes() if report.exists() else b""
    # The driver writes facts only: the words are the desk's.
    for words in (b"unbound", b"did you mean", b"warning", b"reading:"):
        if words in facts:
            t.fail(f"the driver's report holds {words!r}")
    explained = t("explain", report)
    if update:
        REPORT_GOLDEN.write_text(explained.stdout)
        print(f"wrote {REPORT_GOLDEN}")
    elif explained.returncode != 0 or explained.stdout != REPORT_GOLDEN.read_text():
        diff = difflib.unified_diff(REPORT_GOLDEN.read_text().splitlines(),
                                    explained.stdout.splitlines(), "golden", "explained",
                                    lineterm="")
        t.fail(f"explain (exit {explained.returncode}, {explained.stderr}) differs from the "
               "golden file:\n" + "\n".join(diff))
    desk = binding_lines(with_report.stdout, r"# (controller|process variable) '[^']*' ")
    plant = binding_lines(explained.stdout, r"(controller|process variable) \d+ ")
    if not desk or desk != plant:
        t.fail(f"the desk tool's binding lines {desk} differ from the report's {plant}")
    # The JSON holds the same content: each unbound item's reason as the text words it.
    document = json.loads(t("explain", report, "--json").stdout)
    entry_points = [event["entry_point"] for event in document["events"]]
    reasons = [b["reason"] for event in document["events"] for b in event.get("bindings", [])
               if not b["bound"]]
    if entry_points != ["DCSLoad", "DCSConfigure", "DCSStop", "DCSDestroy"] or \
            len(reasons) != 3 or any(": unbound: " + r not in explained.stdout for r in reasons):
        t.fail(f"explain --json: {entry_points}, {reasons}")
    # Line ends turned into CRLF by an editor or a mail program mean the same.
    crlf = t.scratch / "crlf.report"
    crlf.write_bytes(facts.replace(b"\n", b"\r\n"))
    t.expect("explain of the CRLF report", t("explain", crlf), 0, [explained.stdout])
    # An edited or cut report is refused at its line, after what came before.
    lines = facts.decode("ascii").split("\n")
    edited_at = next(i for i, line in enumerate(lines) if line.startswith("|LT101.PV"))
    crc_at = next(i for i, line in enumerate(lines) if line.startswith("crc32 "))
    config_at = next(i for i, line in enumerate(lines) if line == "== DCSConfigure")
    for what, text, says, before in [
        ("an edited byte", "\n".join(lines[:edited_at] + [lines[edited_at].replace("1", "2", 1)] +
                                     lines[edited_at + 1:]),
         f"{crc_at + 1}: the string of the DCSLoad of line 1 does not match its checksum", ""),
        ("a line dropped", "\n".join(lines[:edited_at] + lines[edited_at + 1:]),
         f"{crc_at}: the string of the DCSLoad of line 1 holds", ""),
        ("a cut inside a configure", "\n".join(lines[:config_at + 3]) + "\n",
         f"{config_at + 3}: the report ends inside the DCSConfigure of line {config_at + 1}",
         "catalogue: AI 4"),
        ("a cut mid-line", "\n".join(lines[:config_at + 3]),
         f"{config_at + 3}: the report ends in the middle of a line", "catalogue: AI 4"),
        ("another format", "\n".join(lines).replace("report-format 1", "report-format 2"),
         "2: the DCSLoad of line 1 was written in report format 2", ""),
        ("not a report", "title = 'tank'\n", "1: \"title = 'tank'\" is not a driver's section",
         ""),
    ]:
        bad = t.write("bad.report", text)
        t.expect(f"explain of {what}", t("explain", bad), 1, [before] if before else [],
                 stderr=[f"{bad}:{says}"])
    # The report changes nothing: off, or with a file that cannot be written.
    for what, env in [("off", {k: v for k, v in os.environ.items() if k != "DRAVIK32_REPORT"}),
                      ("unwritable", dict(os.environ,
                                          DRAVIK32_REPORT=str(t.scratch / "no" / "report")))]:
        result = t(MISSPELLED, "--csv", env=env)
        if (result.returncode, result.stdout, result.stderr) != \
                (with_report.returncode, with_report.stdout, with_report.stderr):
            t.fail(f"the run with the report {what} differs from the reported run")


def report_load(text, ended="read"):
    """The facts of one DCSLoad of `text`, as the driver writes them."""
    lines = "\n".join("|" + line for line in text.split("\n"))
    return (f"== DCSLoad: dravik32 test\nreport-format 1\nlength {len(text)}\n{lines}\n"
            f"crc32 {zlib.crc32(text.encode()):08X}\nload {ended}\n")


def report_replay(t):
    """Loads append to the catalogue until a destroy releases it: a report of
    load, load, configure, destroy, load, configure, explained."""
    first = "plant tags, first part\n*AI*\nP,x,1,0,1\n"
    second = "plant tags, second part\n*AI*\nA,x,1,0\n*AO*\nV1,y,1,0,4\n"
    items = ('controller 0 active "V2" ds 1 code 0 index -1\n'
             'process-variable 0 active "V1" ds 1 code 1 index {}\nresult 1\n')
    report = t.write("replay.report", "".join([
        report_load(first), "catalogue AI 1 AO 0 DI 0 DO 0 DCD 0 CALC 0\n",
        report_load(second), "catalogue AI 3 AO 0 DI 0 DO 0 DCD 0 CALC 0\n",
        "== DCSConfigure\n", items.format(2), "== DCSDestroy\n",
        report_load(second), "catalogue AI 2 AO 0 DI 0 DO 0 DCD 0 CALC 0\n",
        "== DCSConfigure\n", items.format(1)]))
    explained = t("explain", report)
    suggested = [line for line in explained.stdout.splitlines() if line.startswith("controller 0")]
    expected = [f'controller 0 V2 ds 1: unbound: no tag named "V2"; did you mean "V1" (AI[{i}], '
                'data set 1)?' for i in (2, 1)]
    if explained.returncode != 0 or suggested != expected:
        t.fail(f"the replay: exit {explained.returncode}, {suggested}, expected {expected}\n"
               f"{explained.stdout}{explained.stderr}")
    catalogues = [line for line in explained.stdout.splitlines() if line.startswith("catalogue")]
    if catalogues != ["catalogue: AI 1, AO 0, DI 0, DO 0, DCD 0, CALC 0",
                      "catalogue: AI 3, AO 0, DI 0, DO 0, DCD 0, CALC 0",
                      "catalogue: AI 2, AO 0, DI 0, DO 0, DCD 0, CALC 0"]:
        t.fail(f"the replay's catalogues: {catalogues}")
    # A load the driver did not read, and each check that refuses the link.
    refusals = {"ctrl-text-empty": "a controller's text field is empty (DCSCtrlTagFieldError)",
                "pv-text-empty": "a process variable's text field is empty (DCSPVTagFieldError)",
                "no-tags": "the emulator offers no tags: its string holds 33 bytes or less",
                "no-catalogue": "no catalogue: the case must be reloaded or recreated"}
    refused = t.write("refused.report", "== DCSLoad: dravik32 test\nreport-format 1\nlength 5\n"
                      "load too-short\ncatalogue none\n" + "".join(
                          f"== DCSConfigure\nresult 0 {check}\n" for check in refusals))
    t.expect("explain of refusals", t("explain", refused), 0,
             ["initialization string: 5 bytes\nunusable: the string holds 5 bytes;",
              "catalogue: none\n"] + [f"result: 0, refused: {words}\n"
                                       for words in refusals.values()])
    # The same in JSON, and a load whose buffer the driver could not get.
    refused.write_text(refused.read_text() + "== DCSLoad: dravik32 test\nreport-format 1\n"
                       "length 100\nload out-of-memory\ncatalogue none\n")
    events = json.loads(t("explain", refused, "--json").stdout)["events"]
    summary = [(e["entry_point"], e.get("result"), e.get("refused"),
                [w["code"] for w in e.get("warnings", [])], e.get("catalogue", "-"))
               for e in events]
    expected = [("DCSLoad", "too-short", None, ["too-short"], None)] + \
        [("DCSConfigure", 0, check, [], "-") for check in refusals] + \
        [("DCSLoad", "out-of-memory", None, ["out-of-memory"], None)]
    if summary != expected:
        t.fail(f"explain --json of refusals: {summary}, expected {expected}")
    # Memory ran out in the driver at its last record, which it did not
    # store, or as it made the tables: the replay reads what the driver read.
    for tables, configured, says in [
            ("AI 1 AO 0 DI 0 DO 0 DCD 0 CALC 0", "result 1",
             ["reading: stopped early: out of memory\n", "catalogue: AI 1, AO 0,",
              'process variable 0 V1 ds 1: unbound: no tag named "V1"; it stands at line 5, '
              'after the reading stopped\n']),
            ("none", "result 0 no-catalogue",
             ["reading: stopped early: out of memory\n", "catalogue: none\n"])]:
        ran_out = t.write("ran_out.report", report_load(second, "out-of-memory") +
                          f"catalogue {tables}\n== DCSConfigure\n" +
                          items.format(-1).replace("code 1", "code 0").replace("result 1\n", "") +
                          configured + "\n")
        t.expect(f"explain of a load that ran out of memory, tables {tables}",
                 t("explain", ran_out), 0, says)
    # Memory ran out at a record in the middle: the one after it is unread too.
    middle = "plant tags, three records\n*AI*\nA,x,1,0,1\nB,x,1,0,1\nC,x,1,0,1\n"
    ran_out = t.write("middle.report", report_load(middle, "out-of-memory") +
                      "catalogue AI 1 AO 0 DI 0 DO 0 DCD 0 CALC 0\n== DCSConfigure\n"
                      'process-variable 0 active "B" ds 1 code 0 index -1\nresult 1\n')
    t.expect("explain of a load that ran out of memory in the middle", t("explain", ran_out), 0,
             ['process variable 0 B ds 1: unbound: no tag named "B"; it stands at line 4, '
              'after the reading stopped; did you mean'])
    # The report's items are a case for diff: the old string binds V1, the
    # new one lacks it.
    moved = t.write("moved.init", second.replace("V1", "W1"))
    t.expect("diff of the report's items", t("diff", t.write("second.init", second), moved,
                                             "--case", report), 4,
             ["process variable 'index 0' (\"V1\" data set 1): AI[1] -> unbound"])
    t.expect("check of the report's strings", t("check", report), 4,
             ["== DCSLoad at line 1: dravik32 test", f"{report}:11, {len(second)} bytes",
              "takes \"*AO*\" as its High"])


def traps(t):
    t.expect("check of the sample", t("check", EXAMPLES / "tank.init"), 0, ["result: clean"])
    for what, old, new, status, check_says, run_status, run_says in TRAPS:
        init = t.write("trap.init", TANK_INIT.replace(old, new))
        t.expect(f"check: {what}", t("check", init), status, check_says)
        t.expect(f"run: {what}", t(EXAMPLES / "tank.toml", "--init", init, "--steps", "2"),
                 run_status, run_says)
        report = json.loads(t("check", init, "--json").stdout)
        if report["exit_status"] != status or len(report["warnings"]) == 0 or any(
                set(w) != {"code", "severity", "line", "section", "message"}
                for w in report["warnings"]):
            t.fail(f"check --json: {what}: {report}")
        run = json.loads(t(EXAMPLES / "tank.toml", "--init", init, "--steps", "2", "--json").stdout)
        if run["init_warnings"] != report["warnings"]:
            t.fail(f"run --json: {what}: {run['init_warnings']} differ from the check's")
    report = json.loads(t("check", EXAMPLES / "tank.init", "--json").stdout)
    if (report["verdict"], report["catalogue"]["AI"], report["warnings"]) != ("clean", 4, []):
        t.fail(f"check --json of the sample: {report}")
    t.expect("check of a directory", t("check", HERE), 1, stderr=["it is a directory"])


def rules_and_strict(t):
    unknown = t.case("unknown", '"AO:1:LIC101.OUT"', '"AO:1:LIC1O1.OUT"')
    says = [f"{unknown}:67: the emulator pi rule's output AO:1:LIC1O1.OUT is no tag of the "
            "catalogue"]
    t.expect("a rule naming an unknown tag", t(unknown, "--steps", "2"), 0, says)
    t.expect("--strict: a rule naming an unknown tag",
             t(unknown, "--steps", "2", "--strict"), 4, says)
    t.expect("--strict: the sample's two unbound items",
             t(EXAMPLES / "tank.toml", "--steps", "2", "--strict"), 4,
             ["--strict: 2 unbound item(s) or rule tag(s) missing from the catalogue"])
    bound = t.case("bound", 'tag = "PT101.PV"            #', 'ds = 2\ntag = "PT101.PV" #',
                   init=TANK_INIT)
    text = bound.read_text().replace('tag = "TT101.PV"', 'tag = "P101.STATE"').replace(
        "ds = 1\nsource = 4.5", "source = 4.5")
    bound.write_text(text)
    t.expect("--strict: all bound", t(bound, "--steps", "2", "--strict"), 0)


def pi_action(t):
    # The level held above the set point: a direct-acting controller opens
    # the valve, a reverse-acting one keeps it shut.
    for action, opens in (("direct", True), ("reverse", False)):
        case = t.case(action, 'source = "level"', "source = 3.0")
        case.write_text(case.read_text().replace('action = "direct"', f'action = "{action}"'))
        rows = [r for r in csv.DictReader(
            line for line in io.StringIO(t(case, "--steps", "3", "--csv").stdout)
            if not line.startswith("#"))]
        valve = float(rows[-1]["valve"])
        if (valve > 0.0) != opens:
            t.fail(f"a {action}-acting controller gives the valve {valve} with the level high")


def output(t):
    # Times keep their digits; no text of a case can start a CSV line.
    case = t.case("output", "step_seconds = 2.0", "step_seconds = 123456.7")
    text = case.read_text().replace('title = "TK-100 level loop"', 'title = "two\\nlines"')
    text = text.replace('tag = "P101.CMD"', 'tag = "NOPE\\n0,0,999"')
    long_name = "a" * 130
    text = text.replace('name = "outflow"', f'name = "{long_name}"')
    case.write_text(text)
    result = t(case, "--steps", "3", "--csv")
    lines = [line for line in result.stdout.splitlines() if not line.startswith("#")]
    times = [row["time_s"] for row in csv.DictReader(lines)]
    if times != ["0", "123456.7", "246913.4"] or result.returncode != 0:
        t.fail(f"CSV times {times}, exit {result.returncode}:\n{result.stdout}")
    table = t(case, "--steps", "3").stdout.splitlines()
    header = next(i for i, line in enumerate(table) if line.lstrip().startswith("step"))
    counts = {len(line.split()) for line in table[header + 1:]}
    if counts != {11}:  # step, time, four process variables, five controllers
        t.fail("the table has rows with missing values:\n" + "\n".join(table[header:]))


def driver_lookup(t, program, emulator):
    # Beside the program, wherever it is started from; --driver as given.
    link = t.scratch / "linked-host"
    link.symlink_to(program)
    t.expect("started through a symbolic link", run(emulator + [str(link), EXAMPLES / "tank.toml",
                                                              "--steps", "1"]), 0)
    library = "libdravik32.so"
    t.expect("--driver relative to the working directory",
             run(emulator + [str(program), EXAMPLES / "tank.toml", "--steps", "1", "--driver",
                             library], cwd=program.parent), 0)
    t.expect("--help names the driver it uses", run(emulator + [str(program), "--help"]), 0,
             [str(program.parent / library)])
    if not emulator:
        path = f"{program.parent}{os.pathsep}{os.environ.get('PATH', '')}"
        t.expect("started through PATH", run([program.name, EXAMPLES / "tank.toml", "--steps", "1"],
                                             env=dict(os.environ, PATH=path)), 0)


def peak_memory_kb(command):
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    process.returncode = os.waitstatus_to_exitcode(status)
    return usage.ru_maxrss


def bounded_memory(t):
    # A step allocates nothing that stays: 100,000 steps take the memory of 2,000.
    small, large = (peak_memory_kb(t.prefix + [str(EXAMPLES / "tank.toml"), "--steps", str(n),
                                               "--every", "1000000"]) for n in (2000, 100000))
    if large - small > 16 * 1024:
        t.fail(f"peak memory grows with the steps: {small} KB for 2,000, {large} KB for 100,000")


def json_run(t):
    result = t(EXAMPLES / "tank.toml", "--json", "--every", "10")
    document = json.loads(result.stdout)
    bindings = {b["name"]: b for b in document["bindings"]}
    rows = document["rows"]
    if (document["exit_status"], len(bindings), len(rows), rows[-1][0]) != (0, 9, 41, 399) or \
            bindings["valve"]["table"] != "AO" or \
            "only in AI" not in bindings["temperature"]["reason"] or \
            rows[0][-1] is not None:
        t.fail(f"--json: {result.stdout[:2000]}")
    # An unbound item's suggestions: tags whose names look alike, none for a
    # tag the catalogue has with another data set.
    result = t(MISSPELLED, "--json", "--steps", "0")
    suggested = {b["tag"]: b.get("suggestions") for b in json.loads(result.stdout)["bindings"]
                 if not b["bound"]}
    if suggested["TT1O1.PV"] != [{"tag": "TT101.PV", "table": "AI", "index": 2, "ds": 1}] or \
            suggested["PT101.PV"] != []:
        t.fail(f"--json suggestions: {suggested}")


def plot(t):
    if shutil.which("gnuplot") is None:
        t.fail("gnuplot is missing: scripts/install-deps.sh installs it")
        return
    picture = t.scratch / "tank.svg"
    t.expect("--plot", t(EXAMPLES / "tank.toml", "--every", "10", "--plot", picture), 0)
    svg = "{http://www.w3.org/2000/svg}"
    series = {}
    for group in ElementTree.parse(picture).iter(f"{svg}g"):
        if not group.get("id", "").startswith("gnuplot_plot_"):
            continue
        title = "".join(group.find(f".//{svg}text").itertext())
        paths = [p.get("d") for p in group.iter(f"{svg}path")]
        series[title] = (sum(d.count("L") for d in paths), len(list(group.iter(f"{svg}use"))))
    expected = {"level", "outflow", "pump running", "pressure", "valve", "pump command",
                "pump state", "level error", "temperature (inactive, not read)"}
    # Each series also draws its sample in the key: one more line. No read
    # fails; the inactive controller, never read, has its key alone.
    if set(series) != expected or series["level"][0] != 41 or \
            series["temperature (inactive, not read)"] != (1, 0):
        t.fail(f"the plot's series: {series}")


# Each part runs on its own (--part NAME); without --part, all of them.
# Arguments: the runner, --update, the program, the emulator's command.
PARTS = {
    "sample_and_bad_input": lambda t, a: sample_and_bad_input(t, a.update),
    "plant_report": lambda t, a: plant_report(t, a.update),
    "report_replay": lambda t, a: report_replay(t),
    "diff_strings": lambda t, a: diff_strings(t, a.update),
    "traps": lambda t, a: traps(t),
    "rules_and_strict": lambda t, a: rules_and_strict(t),
    "pi_action": lambda t, a: pi_action(t),
    "output": lambda t, a: output(t),
    "driver_lookup": lambda t, a: driver_lookup(t, a.program, a.emulator),
    "bounded_memory": lambda t, a: bounded_memory(t),
    "json_run": lambda t, a: json_run(t),
    "plot": lambda t, a: plot(t),
}


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--program")
    parser.add_argument("--emulator", default="", help="runs the program, e.g. qemu-i386")
    parser.add_argument("--update", action="store_true")
    parser.add_argument("--part", choices=PARTS, action="append",
                        help="run only this part (may be repeated)")
    parser.add_argument("--list", action="store_true", help="print the parts' names and exit")
    args = parser.parse_args()
    if args.list:
        print("\n".join(PARTS))
        return 0
    if args.program is None:
        parser.error("--program is required")
    args.emulator = shlex.split(args.emulator)
    args.program = pathlib.Path(args.program).resolve()
    with tempfile.TemporaryDirectory() as scratch:
        t = Runner(args.emulator + [str(args.program)], pathlib.Path(scratch))
        for name in args.part or PARTS:
            try:
                PARTS[name](t, args)
            except Exception as error:  # a crash of one part must not hide the others
                t.fail(f"{name}: {type(error).__name__}: {error}")
    for failure in t.failures:
        print("FAIL:", failure)
    return 1 if t.failures else 0


if __name__ == "__main__":
    sys.exit(main())
