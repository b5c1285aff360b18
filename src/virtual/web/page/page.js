// SPDX-License-Identifier: MIT
// The receipts page: asks the controller every second for the receipts ended since the newest
// one it shows and puts each new one at the top. What a receipt says is whatever a host sent:
// it goes into the page as text only (textContent), never as markup.
'use strict';

const pollMs = 1000;
const list = document.getElementById('receipts');
const empty = document.getElementById('empty');
const statusLine = document.getElementById('status');
const template = document.getElementById('receipt-template');
let run = null; // each start of the controller numbers its receipts from 1 again
let last = 0;

function sourceOf(source) {
  if (!source) return '';
  if (source.kind === 'tcp') return 'TCP ' + source.address;
  if (source.kind === 'pty') return 'serial line';
  return source.address;
}

function metaOf(receipt) {
  const ended = typeof receipt.ended === 'string' ? receipt.ended.slice(11, 19) : '';
  const length = (receipt.height / 8).toFixed(0) + ' mm';
  const cut = receipt.cut ? receipt.cut + ' cut' : 'job ended';
  return [ended, sourceOf(receipt.source), length, cut].filter(Boolean).join(' · ');
}

function fillSymbols(section, symbols) {
  const rows = section.querySelector('tbody');
  for (const symbol of symbols) {
    const row = rows.insertRow();
    row.insertCell().textContent = symbol.symbology;
    row.insertCell().textContent = symbol.data;
  }
  section.hidden = symbols.length === 0;
}

function card(receipt) {
  const node = template.content.firstElementChild.cloneNode(true);
  const base = 'receipts/' + receipt.id;
  node.id = 'receipt-' + receipt.id;
  node.dataset.id = receipt.id;
  const picture = node.querySelector('img');
  picture.width = receipt.width;
  picture.height = receipt.height;
  picture.alt = 'Receipt ' + receipt.id;
  picture.src = base + '.png';
  node.querySelector('a.paper').href = base + '.png';
  node.querySelector('h2').textContent = 'Receipt ' + receipt.id;
  node.querySelector('.meta').textContent = metaOf(receipt);
  node.querySelector('.lines').textContent = receipt.lines.join('\n');
  node.querySelector('section.text').hidden = receipt.lines.length === 0;
  fillSymbols(node.querySelector('section.symbols'), receipt.symbols);
  for (const kind of ['png', 'json', 'pdf']) {
    const link = node.querySelector('a.' + kind);
    link.href = base + '.' + kind;
    link.download = 'receipt-' + receipt.id + '.' + kind;
  }
  return node;
}

function show(page) {
  for (const receipt of page.receipts) {
    list.prepend(card(receipt));
    last = receipt.id;
  }
  // Those the controller no longer keeps.
  for (const node of Array.from(list.children)) {
    if (Number(node.dataset.id) < page.oldest) node.remove();
  }
  const count = list.children.length;
  statusLine.textContent = 'Live · ' + count + (count === 1 ? ' receipt' : ' receipts');
  statusLine.className = 'status live';
}

async function poll() {
  let next = pollMs;
  try {
    // An answer that never comes must not stop the polling.
    const response = await fetch('receipts?after=' + last,
                                 {cache: 'no-store', signal: AbortSignal.timeout(10000)});
    if (!response.ok) throw new Error('HTTP ' + response.status);
    const page = await response.json();
    if (run !== null && page.run !== run) {
      list.replaceChildren();
      last = 0;
      next = 0;
    } else {
      show(page);
      if (page.more) next = 0;
    }
    run = page.run;
  } catch (error) {
    statusLine.textContent = 'The controller does not answer; trying again';
    statusLine.className = 'status offline';
  }
  empty.hidden = list.children.length > 0;
  setTimeout(poll, next);
}

poll();
