#!/usr/bin/env python3
"""Lists, as Markdown, every test that gtest XML files record as skipped,
with the reason given in its skip message:  list-skips.py RESULTS_DIR
(the SUITE.xml files tools/run-suites.sh writes). A skipped test counts as
passed in gtest's totals; this is where it shows."""
import glob
import os
import re
import sys
import xml.etree.ElementTree as ET


def reason(message):
    # gtest starts the message with "FILE:LINE" on a line of its own.
    lines = message.splitlines()
    if lines and re.fullmatch(r".*:\d+", lines[0]):
        lines = lines[1:]
    text = " ".join(line.strip() for line in lines if line.strip())
    return text or "(no reason given)"


def main(results):
    totals, skips = [], []
    for path in sorted(glob.glob(os.path.join(results, "*.xml"))):
        suite = os.path.splitext(os.path.basename(path))[0]
        try:
            root = ET.parse(path).getroot()
        except ET.ParseError as e:
            totals.append(f"- {suite}: unreadable XML ({e})")
            continue
        count = failed = skipped = 0
        for case in root.iter("testcase"):
            count += 1
            # A test that failed and then skipped (a failed check in a
            # helper, then GTEST_SKIP) counts as failed only.
            skip = case.find("skipped")
            if case.find("failure") is not None:
                failed += 1
            elif skip is not None:
                skipped += 1
                name = f"{case.get('classname')}.{case.get('name')}"
                skips.append((suite, name, reason(skip.get("message", ""))))
        totals.append(f"- {suite}: {count} tests, {failed} failed, {skipped} skipped")
    print(f"### Skipped tests: {len(skips)}\n")
    print("\n".join(totals) or f"- no gtest XML in {results}")
    if skips:
        print("\n| suite | test | reason |\n|---|---|---|")
        for suite, name, why in skips:
            print(f"| {suite} | {name} | {why.replace('|', '/').replace('<', '&lt;')} |")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: list-skips.py RESULTS_DIR")
    main(sys.argv[1])
