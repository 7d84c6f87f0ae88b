#!/usr/bin/env python3
"""Builds the download-source record resource from its readable XML source.

The result is the compact XML text in UTF-16LE, without byte-order mark or terminator.
"""
import argparse
import re
import sys
import xml.etree.ElementTree as ET

ELEMENTS = ["CampaignID", "Referrer", "InputSite"]


def fail(message):
    sys.exit("make_record: " + message)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("source")
    parser.add_argument("output")
    parser.add_argument("--set", action="append", default=[], metavar="NAME=VALUE")
    args = parser.parse_args()

    values = {}
    for item in args.set:
        name, sep, value = item.partition("=")
        if not sep:
            fail("expected NAME=VALUE, got %r" % item)
        values[name] = value

    campaign = values.get("CampaignID", "")
    if not re.fullmatch(r"[0-9]+", campaign):
        fail("CampaignID must be a decimal number, got %r" % campaign)
    referrer = values.get("Referrer", "")
    if not referrer or "/" in referrer or re.search(r"\s", referrer):
        fail("Referrer must be an address without scheme whose slashes are "
             "written %%2f, got %r" % referrer)

    root = ET.parse(args.source).getroot()
    if root.tag != "Q7" or [child.tag for child in root] != ELEMENTS:
        fail("%s: expected <Q7> holding %s" % (args.source, ", ".join(ELEMENTS)))

    # Only element text goes into the record; indentation and comments stay behind.
    root.text = None
    for child in root:
        child.tail = None
        text = child.text or ""
        for name, value in values.items():
            text = text.replace("@%s@" % name, value)
        if "@" in text:
            fail("%s: no setting for %s" % (args.source, text))
        child.text = text

    record = ET.tostring(root, encoding="unicode", short_empty_elements=False)
    data = record.encode("utf-16-le")
    with open(args.output, "wb") as out:
        out.write(data)


if __name__ == "__main__":
    main()
