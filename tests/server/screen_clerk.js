// What a clerk does on the order screen, for the browser tests: controls are
// found by their label or their text, never by id. Loaded before the page's
// own script; it also keeps what the page sends (window.sent) and how often
// the page opened the print dialog (window.printed), without changing either.
'use strict';

window.sent = [];
window.printed = 0;
const pageFetch = window.fetch.bind(window);
window.fetch = (url, init) => {
  window.sent.push({url: String(url), body: init && init.body ? JSON.parse(init.body) : null});
  return pageFetch(url, init);
};
const pagePrint = window.print.bind(window);
window.print = () => {
  window.printed++;
  pagePrint();
};

window.clerk = (() => {
  const visible = (e) => e && e.getClientRects().length > 0;
  const words = (e) => e.textContent.replace(/\s+/g, ' ').trim();
  // The name a person reads for a control: its label's words, or its text.
  const nameOf = (e) => {
    if (!e || e === document.body) return '';
    const label = e.labels && e.labels[0];
    if (label) return words(label.querySelector('span') || label);
    return e.getAttribute('aria-label') || words(e) || e.id;
  };
  const control = (name) => {
    const found = [...document.querySelectorAll('input, select')].find((e) => nameOf(e) === name);
    if (!found) throw new Error(`no control labelled "${name}"`);
    return found;
  };
  const button = (text) => [...document.querySelectorAll('button')].find((b) => words(b) === text && visible(b));
  const pause = () => new Promise((r) => setTimeout(r, 5));

  // Waits until no call is under way: nothing busy, nothing "Consultando…".
  async function settled() {
    for (const start = Date.now(); ; await pause()) {
      const busy = document.querySelector('[aria-busy="true"]') ||
        [...document.querySelectorAll('output')].some((o) => o.textContent.includes('Consultando'));
      if (!busy && document.readyState === 'complete') return;
      if (Date.now() - start > 15000) throw new Error('the screen did not answer');
    }
  }
  function type(name, value) {
    const e = control(name);
    e.focus();
    e.value = value;
    e.dispatchEvent(new Event('input', {bubbles: true}));
    e.dispatchEvent(new Event('change', {bubbles: true}));
  }
  // Presses the button if a clerk could: shown and enabled.
  async function press(text) {
    const b = button(text);
    if (!b || b.disabled) return false;
    b.click();  // an action marks the page busy before click() returns
    await settled();
    return true;
  }
  async function fill(fields) {
    for (const [name, value] of Object.entries(fields)) {
      type(name, value);
      await settled();
    }
  }
  async function lookUp(id) {
    type('Coleta (ID)', id);
    return press('Consultar');
  }
  // What the screen shows now.
  function seen() {
    const bar = document.querySelector('[role="status"]');
    return {
      message: words(bar), kind: bar.className, title: words(document.querySelector('main h2')),
      focused: nameOf(document.activeElement),
      invalid: [...document.querySelectorAll('[aria-invalid="true"]')].map(nameOf),
      question: visible(button('Confirmar exclusão')) ? words(button('Confirmar exclusão').parentElement.querySelector('p')) : '',
      takeOffs: [...document.querySelectorAll('input')].filter((e) => visible(e) && /^Baixa/.test(nameOf(e))).length,
    };
  }
  const value = (name) => control(name).value;
  return {button, control, fill, lookUp, nameOf, press, seen, settled, type, value, words};
})();
