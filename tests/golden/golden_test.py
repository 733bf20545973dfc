#!/usr/bin/env python3
"""Golden-output tests: kalvento-cli run over the sample recordings, its output
compared with the transcript committed beside this script (<case>.out).

A transcript holds, for each command, the command line, what it printed (JSON
Lines one object a time, indented, so that a change shows as the fields that
changed), its standard error and its exit code. The scratch folder shows as
<dir> (as <dir-hex> in the hexadecimal byte fields). A difference fails the
test with a unified diff. After a deliberate change, rewrite the transcripts
and review their diff:

    KALVENTO_GOLDEN_UPDATE=1 ctest --test-dir build -R golden

usage: golden_test.py KALVENTO_CLI KALVENTO_WRITE_SAMPLES CASE
"""
import difflib
import json
import os
import shlex
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


class Transcript:
    def __init__(self, cli, writer, dir):
        self.cli = cli
        self.writer = writer
        self.dir = dir
        self.text = []
        os.makedirs(self.path("config"))

    def path(self, name):
        return os.path.join(self.dir, name)

    def write(self, name, data):
        """A file of the scratch folder: bytes, or text written as CP932 with CR LF."""
        if isinstance(data, str):
            data = data.replace("\n", "\r\n").encode("cp932")
        path = name if isinstance(name, bytes) else self.path(name)
        with open(path, "wb") as out:
            out.write(data)

    def settings(self, text):
        self.write("config/kalvento.ini", "[KalventoDlg]\n" + text)

    def run(self, *arguments):
        environment = dict(os.environ, KALVENTO_DIR=self.path("config"), LC_ALL="C.UTF-8",
                           LANGUAGE="")
        done = subprocess.run([self.cli, *arguments], capture_output=True, env=environment)
        line = " ".join(shlex.quote(a) for a in arguments)
        self.text.append("$ kalvento-cli " + line.replace(self.dir, "<dir>"))
        for line in self.hide_dir(done.stdout).splitlines():
            try:
                value = json.loads(line)
            except ValueError:
                self.text.append(line)
                continue
            self.text.append(json.dumps(value, ensure_ascii=False, indent=2))
        for line in self.hide_dir(done.stderr).splitlines():
            self.text.append("stderr: " + line)
        self.text.append("[exit %d]\n" % done.returncode)

    def hide_dir(self, output):
        folder = self.dir.encode()
        output = output.replace(folder, b"<dir>").replace(folder.hex().encode(), b"<dir-hex>")
        return output.decode("utf-8", "replace")


def case_analyse(t, samples):
    # A channel file entry names BS service 101 (transport stream 0x4010 of network 4).
    t.write("config/ChSet3.txt", "ＢＳの愛称\t101\t16400\t4\n")
    t.run("analyse", "--json", samples)
    # The small inputs of the stream fuzzer: 192- and 204-byte units, a
    # programme change within one service, stuffing and garbage.
    seeds = t.path("seeds")
    subprocess.run([t.writer, "--fuzz-seeds", seeds], check=True, stdout=subprocess.DEVNULL)
    t.run("analyse", "--json", "--start-percent", "0", seeds)
    t.run("analyse", "--template", "@TT [@CH3] @sh:@sm-@eh:@em",
          os.path.join(samples, "terrestrial-two-services.ts"),
          os.path.join(samples, "programme-change.ts"))


# "yyyy-mm-dd 番組名 [CH]", companions of every kind.
RENAME_ITEMS = """FilenameSet1000=15
FilenameSet1001=1
FilenameSet1002=2
FilenameSet1003=0
FilenameSetSp1012=""
FilenameSetSp1013=" "
FilenameSetSp1014=" ["
FilenameSetSp1015="]"
FilenameSetSp1016=""
WildRename=1
"""

# Rules in the order they are tried: both patterns, then the programme name,
# then the station; the first rule that matches names the file. The pattern
# "[カルヴェント" cannot be used (it counts as a match, with a warning) and
# "@M" is no macro (it stays as it is).
RENAME_RULES = r"""OmbrixRename=1
[OmbrixReName]
IndexNo=3
[OmbrixReNameSet000000]
FindText=ドラマ「港町
FindType=1
RenameText=@MST@TT 第@2nb話@sb [@CH] @mm月@dd日(@wk) @sh時
StartTime=1709650800
StartNo=1
WeekCheck3=1
[OmbrixReNameSet000001]
FindTextCh=ＢＳカルヴェント
FindType=2
RenameText=@C'　第.+'@TT@NTN'第(.+?)回'第@nb回@NT1'「(.+)」'@PT1 @CH2 @YY@MM@DD
[OmbrixReNameSet000002]
FindText=体操
FindTextCh=[カルヴェント
FindType=0
RenameText=@R'体操/たいそう'@TT @G1 @G2 @CH3
[OmbrixReNameSet000003]
FindText=ニュース
FindTextCh=カルヴェントテレビ$
FindType=0
RenameText=@TT@NS1'(全国の.+?)を'@PS1 @2YY年@M@DD日 @WE @SH@SM-@EH@EM
"""


def case_rename(t, samples):
    t.settings(RENAME_ITEMS)
    os.makedirs(t.path("rec"))
    for name in sorted(os.listdir(samples)):
        shutil.copy(os.path.join(samples, name), t.path("rec"))
    # Named already, a second copy of the drama, a name that is not UTF-8,
    # companions, and a file without packets.
    shutil.copy(os.path.join(samples, "bs-service-101.ts"),
                t.path("rec/2024-04-02 世界の名城紀行　第３回「白鷺城」 [ＢＳカルヴェント].ts"))
    shutil.copy(os.path.join(samples, "programme-change.ts"), t.path("rec/programme-change-2.ts"))
    with open(os.path.join(samples, "partial-ts-sit.ts"), "rb") as sample:
        t.write(t.path("rec").encode() + b"/\x83e\x83X\x83g.ts", sample.read())
    t.write("rec/terrestrial-two-services.ts.txt", b"text")
    t.write("rec/terrestrial-two-services.ts.program.log", b"log")
    t.write("rec/noise.ts", b"x" * 5000)
    rec = t.path("rec")
    t.run("rename", "--dry-run", "--json", rec, rec + "/./noise.ts", rec + "/missing.ts")
    t.run("rename", "--dry-run", rec)

    two = os.path.join(rec, "terrestrial-two-services.ts")
    t.settings(RENAME_ITEMS + RENAME_RULES)
    t.run("rename", "--dry-run", "--json", rec)
    t.run("rename", "--dry-run", "--json", "--pick", "2", two)
    t.run("rename", "--dry-run", "--template", "@TT 第@2nb話「@sb」 [@CH] @mm月@dd日(@wk)", rec)

    # The programme chosen on the command line.
    for choice in (["--pick", "2"], ["--service-id", "1025"], ["--event-id", "6913"],
                   ["--service-id", "1024", "--event-id", "6657"], ["--pick", "3"],
                   ["--service-id", "1024", "--event-id", "6913"]):
        t.run("rename", "--dry-run", "--template", "@TT", *choice, two)
    t.run("rename", "--dry-run", "--json", "--pick", "3", two)

    # Why each name is what it is: the rule, the items, the episode count, the
    # candidate --pick or the ids took.
    t.run("rename", "--dry-run", "--explain", rec)
    t.run("rename", "--dry-run", "--json", "--explain", "--pick", "2", two)
    t.run("rename", "--dry-run", "--explain", "--template", "@TT 第@nb話", "--service-id", "1025",
          two)
    t.run("rename", "--dry-run", "--pick", "1", "--event-id", "6657", two)


def case_history(t, samples):
    # A journal with fixed times: the current file begins with the start of a
    # batch that a rotation carried over, whose later lines are in the previous
    # file; undos cut short or leaving files behind; three damaged lines.
    for name in ("journal.1.jsonl", "journal.jsonl"):
        shutil.copy(os.path.join(HERE, "history", name), t.path("config"))
        os.chmod(t.path("config/" + name), 0o600)
    t.run("history", "--json", "-n", "100")
    t.run("history")
    t.run("history", "-n", "2")


CASES = {"analyse": case_analyse, "rename": case_rename, "history": case_history}


def main():
    cli, writer, case = sys.argv[1:4]
    expected_path = os.path.join(HERE, case + ".out")
    with tempfile.TemporaryDirectory(prefix="kalvento-golden-") as dir:
        samples = os.path.join(dir, "samples")
        subprocess.run([writer, samples], check=True, stdout=subprocess.DEVNULL)
        transcript = Transcript(cli, writer, dir)
        CASES[case](transcript, samples)
    got = "\n".join(transcript.text)
    if os.environ.get("KALVENTO_GOLDEN_UPDATE"):
        with open(expected_path, "w", encoding="utf-8") as out:
            out.write(got)
        print("rewrote " + expected_path)
        return 0
    try:
        with open(expected_path, encoding="utf-8") as expected_file:
            expected = expected_file.read()
    except FileNotFoundError:
        expected = ""
    if got == expected:
        return 0
    sys.stdout.writelines(difflib.unified_diff(
        expected.splitlines(True), got.splitlines(True), case + ".out (expected)", case + " (got)"))
    print("\n(to accept the output: KALVENTO_GOLDEN_UPDATE=1 ctest -R golden, then review the diff)")
    return 1


if __name__ == "__main__":
    sys.exit(main())
