"""`python3 -m kavrin report RESULTS.json [-o REPORT.html]`: the study report of a run."""
from __future__ import annotations

import argparse
import sys
from pathlib import Path


def main(argv: list[str] | None = None) -> int:
    parser = argparse.ArgumentParser(prog="kavrin", description="Results of simmgr runs: reports.")
    commands = parser.add_subparsers(dest="command", required=True)
    report = commands.add_parser("report", help="write a self-contained HTML report from simmgr --json")
    report.add_argument("json", help="the file simmgr --json wrote")
    report.add_argument("-o", "--output", help="the HTML file (default: the JSON's name with .html)")
    report.add_argument("--title", help="the report's title")
    args = parser.parse_args(argv)
    from .report import write_report

    output = args.output or str(Path(args.json).with_suffix(".html"))
    try:
        write_report(args.json, output, args.title)
    except (OSError, ValueError, KeyError) as e:
        print(f"kavrin: {e}", file=sys.stderr)
        return 1
    print(output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
