"""Writes the web page as one self-contained HTML file: the page of an unpacked
web folder with the script, the WebAssembly, the data set and every local file
the page links to (the notices) carried inside it, so that it plays opened
straight from disk (file://) without asking any server for anything.

    web_single.py SITE-FOLDER OUT.html

The files go into inert <script type="application/x-lattice-bloom"
data-file="NAME"> elements at the top of <body>: text as it stands, the
WebAssembly and the data set in base64. The page (web/index.html) looks for
them before it loads anything (its embedded()).
"""

import base64
import os
import re
import sys

KIND = "application/x-lattice-bloom"
# The files the page loads through its script rather than through links.
LOADED = [("lattice-bloom.js", "text"), ("lattice-bloom.wasm", "base64"), ("lattice-bloom.data", "base64")]


def linked_files(page, site):
    """Relative href/src targets of the page that are files of the folder."""
    found = []
    for target in re.findall(r'(?:href|src)="([^"#?:]+)"', page):
        if "/" in target or target.startswith("."):
            continue
        if os.path.isfile(os.path.join(site, target)) and target not in found:
            found.append(target)
    return found


def element(name, content):
    # An HTML parser ends a script element at "</script" and treats "<!--"
    # inside it specially; neither may appear in what is carried.
    lowered = content.lower()
    for bad in ("</script", "<!--"):
        if bad in lowered:
            raise SystemExit("web_single: %s holds %r, which cannot be carried in a script element" % (name, bad))
    return '<script type="%s" data-file="%s">%s</script>\n' % (KIND, name, content)


def main(argv):
    if len(argv) != 3 or argv[1] in ("-h", "--help"):
        print(__doc__, file=sys.stderr)
        return 0 if argv[1:2] in (["-h"], ["--help"]) else 2
    site, out = argv[1], argv[2]
    with open(os.path.join(site, "index.html"), encoding="utf-8") as f:
        page = f.read()
    pieces = []
    for name, how in LOADED:
        with open(os.path.join(site, name), "rb") as f:
            raw = f.read()
        pieces.append(element(name, raw.decode("utf-8") if how == "text" else base64.b64encode(raw).decode("ascii")))
    for name in linked_files(page, site):
        with open(os.path.join(site, name), encoding="utf-8") as f:
            pieces.append(element(name, f.read()))
    if page.count("<body>") != 1:
        raise SystemExit("web_single: index.html must hold exactly one <body>")
    single = page.replace("<body>", "<body>\n" + "".join(pieces), 1)
    temporary = out + ".part"
    with open(temporary, "w", encoding="utf-8") as f:
        f.write(single)
    os.replace(temporary, out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
