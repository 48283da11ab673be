// Runs in the outer page that scripts/lib/page-fixtures.py writes: every iframe holds the same
// page at its own width. Writes each frame's fixture lines into <pre data-width=W>, then
// "done" (or the error) into #status; the caller reads them from the dumped DOM.
'use strict';

const kFace = '"Noto Sans CJK JP"';
const kTitle = 1000, kNote = 1021;

function fail(message) {
  throw new Error(message);
}

// Full-width kana are exactly 1 em in the buyer's face (unkerned: its kern pairs reach kana);
// its Latin differs from the browser's default face and from IPA P Gothic, so a fallback is
// caught.
function probeFace() {
  const width = (family, text) => {
    const span = document.createElement('span');
    span.style.font = '100px ' + family;
    span.style.whiteSpace = 'pre';
    span.style.fontKerning = 'none';
    span.textContent = text;
    document.body.appendChild(span);
    const w = span.getBoundingClientRect().width;
    span.remove();
    return w;
  };
  const kana = width(kFace, 'あいうえおアイウエオ');
  const latin = 'Quorvel Hamburgefonstiv 0123';
  const noto = width(kFace, latin);
  const fallback = width('"QvlNoSuchFace"', latin);
  const ipa = width('"IPAPGothic"', latin);
  if (kana !== 1000) fail(`ten kana at 100px are ${kana}px wide, not 1000: not ${kFace}`);
  if (noto === fallback || noto === ipa)
    fail(`Latin in ${kFace} is ${noto}px, as in a fallback face (${fallback}, ${ipa})`);
  return `face probe: kana ${kana}px, Latin ${noto.toFixed(2)}px (default face ` +
         `${fallback.toFixed(2)}px, IPAPGothic ${ipa.toFixed(2)}px) at 100px`;
}

// The table rows the generator writes for the included cells: the title alone, then each row
// with one or two cells.
function expectedRows(included) {
  const rows = [];
  if (included.has(kTitle)) rows.push([kTitle]);
  for (let n = 1; n <= 10; ++n) {
    const row = [999 + 2 * n, 1000 + 2 * n].filter(tag => included.has(tag));
    if (row.length) rows.push(row);
  }
  return rows;
}

function hasFooterComment(element) {
  const walker = element.ownerDocument.createTreeWalker(element, NodeFilter.SHOW_COMMENT);
  for (let node = walker.nextNode(); node; node = walker.nextNode())
    if (node.data.includes('ここから編集')) return true;
  return false;
}

// Each included cell's element: the table's own TDs (never those of a table typed into a
// cell), checked against the include flags row by row; the note's paragraph follows the table.
function cellElements(doc, included) {
  const table = [...doc.body.children].find(e => e.tagName === 'TABLE');
  if (!table) fail('no table at the top level of the body');
  const rows = expectedRows(included);
  if (table.rows.length !== rows.length)
    fail(`the table has ${table.rows.length} rows, the include flags give ${rows.length}`);
  const cells = new Map();
  rows.forEach((tags, r) => {
    const tds = table.rows[r].cells;
    if (tds.length !== tags.length)
      fail(`row ${r} has ${tds.length} cells, the include flags give ${tags.length} (${tags})`);
    tags.forEach((tag, c) => {
      const span = tags.length === 1 ? 2 : 1;
      if (tds[c].colSpan !== span) fail(`cell ${tag} spans ${tds[c].colSpan}, not ${span}`);
      cells.set(tag, tds[c]);
    });
  });
  const after = [...doc.body.children].slice([...doc.body.children].indexOf(table) + 1);
  const paragraph = after.find(e => e.tagName === 'P' && e.hasAttribute('align'));
  if (!paragraph) fail('no aligned paragraph after the table');
  if (included.has(kNote)) {
    if (hasFooterComment(paragraph)) fail('the note is included but the footer follows the table');
    if (!paragraph.querySelector(':scope > font')) fail('the note paragraph holds no FONT');
    cells.set(kNote, paragraph);
  } else if (!hasFooterComment(paragraph)) {
    fail('the note is excluded but a paragraph other than the footer follows the table');
  }
  return cells;
}

function isCssSpace(ch) {
  return ch === ' ' || ch === '\t' || ch === '\n' || ch === '\r' || ch === '\f';
}

// The client rect of the first character that is not white space and is drawn, or null.
function firstCharacterRect(element) {
  const doc = element.ownerDocument;
  const walker = doc.createTreeWalker(element, NodeFilter.SHOW_TEXT);
  const range = doc.createRange();
  for (let node = walker.nextNode(); node; node = walker.nextNode()) {
    const text = node.data;
    for (let i = 0; i < text.length;) {
      const length = text.codePointAt(i) > 0xffff ? 2 : 1;
      if (!isCssSpace(text[i])) {
        range.setStart(node, i);
        range.setEnd(node, i + length);
        const rects = range.getClientRects();
        if (rects.length && (rects[0].width > 0 || rects[0].height > 0)) return rects[0];
      }
      i += length;
    }
  }
  return null;
}

async function measureFrame(frame, included) {
  const doc = frame.contentDocument;
  await doc.fonts.ready;
  const width = Number(frame.getAttribute('width'));
  if (doc.compatMode !== 'CSS1Compat') fail('the page is not in standards mode');
  if (doc.documentElement.clientWidth !== width)
    fail(`the frame lays out at ${doc.documentElement.clientWidth}px, not ${width}px`);
  const win = frame.contentWindow;
  const x = v => (v + win.scrollX).toFixed(2), y = v => (v + win.scrollY).toFixed(2);
  const lines = [`page ${doc.documentElement.scrollWidth}`];
  const cells = cellElements(doc, included);
  for (const tag of [...cells.keys()].sort((a, b) => a - b)) {
    const box = cells.get(tag).getBoundingClientRect();
    const first = firstCharacterRect(cells.get(tag));
    const firstText = first ? `${x(first.left)} ${y(first.top)}` : '- -';
    lines.push(`cell ${tag} ${x(box.left)} ${y(box.top)} ${x(box.right)} ${y(box.bottom)} ` +
               firstText);
  }
  document.querySelector(`pre[data-width="${width}"]`).textContent = lines.join('\n') + '\n';
}

window.addEventListener('load', async () => {
  const status = document.getElementById('status');
  try {
    const included = new Set(document.body.dataset.cells.split(' ').filter(Boolean).map(Number));
    document.getElementById('probe').textContent = probeFace();
    for (const frame of document.querySelectorAll('iframe')) await measureFrame(frame, included);
    status.textContent = 'done';
  } catch (error) {
    status.textContent = 'error: ' + error.message;
  }
});
