#!/usr/bin/env python3
"""Writes a large winapp2.ini of generated entries, in the shapes the format allows: numbered
groups and named ones, registry and file detection (wildcards and %ProgramFiles% included),
DetectOS and SpecialDetect, FileKeys of every form, RegKeys with and without values, exclusions,
warnings, comments and a few malformed entries. With --present FOLDER it also makes, below
FOLDER (standing for %AppData%), the folders that make every 40th entry present.

usage: winapp2_generate.py OUT [--entries N] [--present APPDATA_FOLDER]
"""
import argparse
import os

GROUPS = [3021, 3022, 3023, 3024, 3025, 3026, 3027, 3028, 3029, 3100]


def entry(i):
    lines = ["[Application %04d *]" % i]
    if i % 37 == 0:
        lines.append("Section=Tools of mine")
    else:
        lines.append("LangSecRef=%d" % GROUPS[i % len(GROUPS)])
    vendor = "Vendor%04d" % i
    if i % 40 == 0:
        lines.append(r"DetectFile=%%AppData%%\%s\App" % vendor)  # present where --present made it
    elif i % 4 == 0:
        lines.append(r"Detect=HKCU\Software\%s\App" % vendor)
    elif i % 4 == 1:
        lines.append(r"DetectFile=%%AppData%%\%s\App" % vendor)
    elif i % 4 == 2:
        lines.append(r"DetectFile=%%LocalAppData%%\%s\*\app.exe" % vendor)
    else:
        lines.append(r"Detect1=HKEY_LOCAL_MACHINE\Software\%s" % vendor)
        lines.append(r"DetectFile2=%%ProgramFiles%%\%s\app.exe" % vendor)
    if i % 50 == 0:
        lines.append("DetectOS=6.1|")
    if i % 97 == 0:
        lines.append("SpecialDetect=DET_CHROME")
    if i % 53 == 0:
        lines.append("Warning=This removes the saved sessions of %s." % vendor)
    lines.append(r"FileKey1=%%LocalAppData%%\%s\App\Cache|*.*|RECURSE" % vendor)
    lines.append(r"FileKey2=%%AppData%%\%s\App|*.log;*.tmp;crash-??.dmp" % vendor)
    if i % 3 == 0:
        lines.append(r"FileKey3=%%LocalAppData%%\%s\App\Profiles\*\cache2|*.*|REMOVESELF" % vendor)
    if i % 5 == 0:
        lines.append(r"FileKey10=%%ProgramData%%\%s\Logs|*.txt" % vendor)
    lines.append(r"RegKey1=HKCU\Software\%s\App\Recent" % vendor)
    if i % 2 == 0:
        lines.append(r"RegKey2=HKCU\Software\%s\App|LastFile" % vendor)
    if i % 7 == 0:
        lines.append(r"ExcludeKey1=FILE|%%AppData%%\%s\App\|settings.log" % vendor)
    if i % 11 == 0:
        lines.append(r"ExcludeKey2=PATH|%%LocalAppData%%\%s\App\Cache\Keep\\" % vendor)
    if i % 500 == 250:
        lines.append(r"FileKey4=%Bogus%\x|*.*")  # an unknown variable: skipped and reported
    return lines


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("--entries", type=int, default=4200)
    parser.add_argument("--present")
    args = parser.parse_args()
    lines = ["; Generated for the benchmarks: %d entries" % args.entries, ""]
    for i in range(args.entries):
        if i % 100 == 0:
            lines.append("; ---- %d" % i)
        lines.extend(entry(i))
        lines.append("")
    with open(args.out, "w", encoding="utf-8", newline="\r\n") as f:
        f.write("\n".join(lines))
    if args.present:
        for i in range(0, args.entries, 40):
            os.makedirs(os.path.join(args.present, "Vendor%04d" % i, "App"), exist_ok=True)


if __name__ == "__main__":
    main()
