#!/usr/bin/env python3
"""Steps of scripts/make-page-fixtures.sh around the browser.

prepare TAGS CELLS PAGE OUTER W...  writes the page (doctype, the buyer's face, the tags) and an
                                    outer page that holds it in one iframe per width W
collect DOM PREFIX W...             reads the browser's dumped DOM and writes PREFIX.W.txt
"""
import html
import os
import re
import sys

PAGE_HEAD = ('<!DOCTYPE html><html><head><meta charset="utf-8"><style>'
             'body{font-family:"Noto Sans CJK JP"}</style></head><body>')
PAGE_TAIL = '</body></html>'
# Taller than any reference page, so no frame shows a vertical scroll bar.
FRAME_HEIGHT = 6000


def die(message):
    sys.exit('make-page-fixtures: ' + message)


def prepare(tags_path, cells, page_path, outer_path, widths):
    with open(tags_path, encoding='utf-8', newline='') as f:
        page = PAGE_HEAD + f.read() + PAGE_TAIL
    with open(page_path, 'w', encoding='utf-8', newline='') as f:
        f.write(page)
    # The CR of each CR LF kept as a character reference: the frame gets the tags' own bytes.
    srcdoc = html.escape(page, quote=True).replace('\r', '&#13;')
    script_path = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                               'page-fixtures-measure.js')
    with open(script_path, encoding='utf-8') as f:
        script = f.read()
    parts = ['<!DOCTYPE html><html><head><meta charset="utf-8"></head>',
             f'<body data-cells="{html.escape(cells)}">',
             '<pre id="status">pending</pre><pre id="probe"></pre>']
    for width in widths:
        parts.append(f'<pre data-width="{width}"></pre>')
    for width in widths:
        parts.append(f'<iframe width="{width}" height="{FRAME_HEIGHT}" style="border:0" '
                     f'srcdoc="{srcdoc}"></iframe>')
    parts.append('<script>' + script + '</script></body></html>')
    with open(outer_path, 'w', encoding='utf-8') as f:
        f.write('\n'.join(parts))


def element_text(dom, pattern):
    match = re.search(pattern + r'>(.*?)</pre>', dom, re.S)
    return html.unescape(match.group(1)) if match else None


LINE = re.compile(r'page \d+|cell \d{4}( -?\d+\.\d\d){4}( -?\d+\.\d\d -?\d+\.\d\d| - -)')


def collect(dom_path, prefix, widths):
    with open(dom_path, encoding='utf-8') as f:
        dom = f.read()
    status = element_text(dom, r'<pre id="status"')
    if status != 'done':
        die(f'{dom_path}: the page did not finish: {status!r}')
    print(element_text(dom, r'<pre id="probe"'))
    for width in widths:
        text = element_text(dom, rf'<pre data-width="{width}"')
        lines = text.splitlines() if text else []
        if not lines or not lines[0].startswith('page '):
            die(f'{dom_path}: no results at width {width}')
        bad = [line for line in lines if not LINE.fullmatch(line)]
        if bad:
            die(f'{dom_path}: malformed line {bad[0]!r}')
        with open(f'{prefix}.{width}.txt', 'w', encoding='ascii', newline='\n') as f:
            f.write('\n'.join(lines) + '\n')


def main(argv):
    if len(argv) >= 7 and argv[1] == 'prepare':
        prepare(argv[2], argv[3], argv[4], argv[5], argv[6:])
    elif len(argv) >= 5 and argv[1] == 'collect':
        collect(argv[2], argv[3], argv[4:])
    else:
        die(__doc__)


if __name__ == '__main__':
    main(sys.argv)
