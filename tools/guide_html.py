#!/usr/bin/python3
"""The Russian user guide as one HTML page for the release zip: a driver opens it with a
double click, offline, with every picture inside the page.

    tools/guide_html.py docs/ru/руководство.md OUT.html

Made with Debian's python3-markdown. The page is the same bytes for the same guide and
pictures, so the zip stays reproducible.
"""
import base64
import html
import re
import sys
from pathlib import Path

import markdown

STYLE = """
body { font: 16px/1.5 "Segoe UI", Tahoma, Arial, sans-serif; color: #1d1d1d;
       max-width: 52em; margin: 2em auto; padding: 0 1em; }
h1 { font-size: 1.8em; } h2 { margin-top: 1.6em; border-bottom: 1px solid #ccc; }
img { max-width: 100%; border: 1px solid #bbb; }
code { background: #f1f1f1; padding: 0 .2em; white-space: nowrap; }
pre { background: #f1f1f1; padding: .5em 1em; } pre code { white-space: pre; padding: 0; }
table { border-collapse: collapse; } th, td { border: 1px solid #bbb; padding: .2em .5em; }
"""


def embed_pictures(body: str, folder: Path) -> str:
    """Every <img src="img/x.png"> of the guide becomes a data: address."""
    def inline(match):
        src = html.unescape(match.group(1))
        if re.match(r"^[a-z]+:", src):
            raise SystemExit(f"guide_html: the guide links an outside picture: {src}")
        data = (folder / src).read_bytes()
        return f'src="data:image/png;base64,{base64.b64encode(data).decode("ascii")}"'
    return re.sub(r'src="([^"]+)"', inline, body)


def main() -> None:
    source, out = Path(sys.argv[1]), Path(sys.argv[2])
    text = source.read_text(encoding="utf-8")
    # sane_lists: a numbered list that goes on after a picture goes on with its own numbers.
    body = markdown.markdown(text, extensions=["tables", "fenced_code", "sane_lists"],
                             output_format="html")
    body = embed_pictures(body, source.parent)
    title = re.search(r"^# (.+)$", text, re.M).group(1)
    page = (f'<!DOCTYPE html>\n<html lang="ru">\n<head>\n<meta charset="utf-8">\n'
            f"<title>{html.escape(title)}</title>\n<style>{STYLE}</style>\n</head>\n"
            f"<body>\n{body}\n</body>\n</html>\n")
    out.write_bytes(page.encode("utf-8"))


if __name__ == "__main__":
    main()
