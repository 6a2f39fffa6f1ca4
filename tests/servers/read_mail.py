#!/usr/bin/python3
"""Reads a message as a mail program would and prints what it shows, as JSON.

Usage: read_mail.py < MESSAGE
Prints subject, sender name and address, Message-ID, Date (as received, and whether it parsed
with a known zone) and the text of the text/html part, all decoded by Python's email package
(policy default), and the raw header lines that hold bytes past ASCII.
"""
import email
import email.policy
import email.utils
import json
import sys


def main():
    raw = sys.stdin.buffer.read()
    message = email.message_from_bytes(raw, policy=email.policy.default)
    sender = message["From"]
    html = next(part for part in message.walk() if part.get_content_type() == "text/html")
    header_block = raw.split(b"\r\n\r\n", 1)[0]
    date = email.utils.parsedate_tz(message["Date"]) if message["Date"] else None
    print(json.dumps({
        "subject": str(message["Subject"]),
        "name": sender.addresses[0].display_name,
        "address": sender.addresses[0].addr_spec,
        "message_id": str(message["Message-ID"] or ""),
        "date": str(message["Date"] or ""),
        "date_zone_known": bool(date) and not message["Date"].endswith("-0000"),
        "html": html.get_content(),
        "charset": html.get_content_charset(),
        "eight_bit_headers": [line.decode("latin-1") for line in header_block.split(b"\r\n")
                              if any(byte > 127 for byte in line)],
        "long_header_lines": [line.decode("latin-1") for line in header_block.split(b"\r\n")
                              if len(line) > 78],
    }))


if __name__ == "__main__":
    main()
