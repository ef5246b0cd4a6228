#!/usr/bin/env python3
"""Writes the offline manual: README.md as HTML, followed by the man page's two
sources: the program's --help and the sections help2man adds from kestrova.h2m.

make-manual.py README.md kestrova.h2m PROGRAM OUTPUT.html
"""
import html
import re
import subprocess
import sys

import markdown

# The roff requests kestrova.h2m uses: font changes of whole words, alternating
# fonts (.IR/.BR), and tagged paragraphs (.TP: the next line is the tag).
FONTS = {"B": "b", "I": "i", "R": None}


def roff_words(request: str, text: str) -> str:
    words = re.findall(r'"[^"]*"|\S+', text)
    out = []
    for index, word in enumerate(words):
        tag = FONTS[request[index % len(request)]]
        word = html.escape(word.strip('"'))
        out.append(f"<{tag}>{word}</{tag}>" if tag else word)
    return "".join(out) if len(request) > 1 else " ".join(out)


def roff_to_html(source: str) -> str:
    """The sections of a help2man include file as HTML."""
    parts = []
    tagged = False
    for line in source.splitlines():
        line = line.replace("\\-", "-")
        section = re.fullmatch(r"\[(.+)\]", line.strip())
        if section:
            if section.group(1) == "name":
                parts.append(None)  # the NAME section is the title already
            else:
                parts.append(f"</dl><h3>{html.escape(section.group(1).upper())}</h3><dl>")
            continue
        if parts and parts[-1] is None:
            continue
        if line.startswith(".TP"):
            tagged = True
            continue
        request = re.match(r"\.([BIR]{1,2})\s+(.*)", line)
        text = roff_words(request.group(1), request.group(2)) if request else html.escape(line)
        if not text.strip():
            continue
        if tagged:
            parts.append(f"<dt>{text}</dt>")
            tagged = False
        elif parts and parts[-1] is not None and parts[-1].startswith("<dd>"):
            parts[-1] = parts[-1][: -len("</dd>")] + " " + text + "</dd>"
        else:
            parts.append(f"<dd>{text}</dd>")
    return "\n".join(part for part in parts if part is not None)


def main() -> int:
    readme_path, include_path, program, output_path = sys.argv[1:5]
    with open(include_path, encoding="utf-8") as include:
        sections = roff_to_html(include.read())
    with open(readme_path, encoding="utf-8") as readme:
        converter = markdown.Markdown(extensions=["tables", "fenced_code", "toc"])
        body = converter.convert(readme.read())
    # The headings' list first: the help window has no other way to jump.
    contents = converter.toc.replace("</ul>\n</div>", '<li><a href="#kestrova-help">Command line reference</a></li>\n</ul>\n</div>', 1)
    help_text = subprocess.run([program, "--help"], check=True, capture_output=True,
                               text=True, timeout=60).stdout
    version = subprocess.run([program, "--version"], check=True, capture_output=True,
                             text=True, timeout=60).stdout.strip()
    page = f"""<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Kestrova manual</title>
<style>
body {{ font-family: sans-serif; max-width: 50em; margin: 1em auto; line-height: 1.4; }}
pre {{ background: #f4f4f4; padding: 0.5em; }}
code {{ background: #f4f4f4; }}
</style>
</head>
<body>
<p><em>{html.escape(version)}</em></p>
{contents}
{body}
<h2 id="kestrova-help">Command line reference (kestrova --help)</h2>
<pre>{html.escape(help_text)}</pre>
<dl>
{sections}
</dl>
</body>
</html>
"""
    with open(output_path, "w", encoding="utf-8") as output:
        output.write(page)
    return 0


if __name__ == "__main__":
    sys.exit(main())
