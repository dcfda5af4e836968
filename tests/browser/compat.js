// Browser-test equipment: the features of the older browser engine that the
// generated pages are written for, and nothing more, on top of current
// Chromium. It is injected into every page and frame before the page's own
// scripts run. Each part below names the page text it serves.
//
//  - XML data island with a table bound to it, one record per page
//    (question page: <XML ID=... SRC=...>, DATASRC, DATAFLD, DATAPAGESIZE="1",
//    ICERIKTable.firstPage/previousPage/nextPage/lastPage);
//  - the XML DOM component loaded synchronously (result page:
//    new ActiveXObject("Microsoft.XMLDOM"), async, load, parseError,
//    documentElement, childNodes.item, getElementsByTagName(...).item(0).text);
//  - the global event object with srcElement (answer sheet: kontrol).
//
// Frames by name (parent.sol, window.open(page, "sag")) and Date.getYear()
// need nothing: Chromium has them.
(() => {
  'use strict';

  // ---- Loading a file beside the page -------------------------------------

  // Reads a file synchronously, relative to the page's own folder. The text is
  // decoded by XML's rules (UTF-8 unless the file declares otherwise), as the
  // old XML parser read the bytes itself. Returns { text } or { error }.
  function loadXmlText(name) {
    const url = new URL(name, document.baseURI).href;
    const xhr = new XMLHttpRequest();
    try {
      xhr.open('GET', url, false);
      xhr.overrideMimeType('application/xml');
      xhr.send();
    } catch (e) {
      return { error: `The system cannot locate the object specified: ${url} (${e.message})` };
    }
    if (xhr.status !== 200)
      return { error: `The system cannot locate the object specified: ${url} (HTTP ${xhr.status})` };
    return { text: xhr.responseText };
  }

  // Parses XML text. Returns { doc } or { error } with the parser's message.
  function parseXml(text) {
    const doc = new DOMParser().parseFromString(text, 'application/xml');
    const failure = doc.getElementsByTagNameNS('*', 'parsererror')[0];
    if (failure) {
      const detail = failure.querySelector('div');
      return { error: (detail ? detail.textContent : failure.textContent).trim() };
    }
    return { doc };
  }

  // The old parser dropped white space between elements, so a node's children
  // are its child elements; "text" is the node's text without the white space
  // around it.
  function nodeList(collection) {
    return {
      get length() { return collection.length; },
      item(i) { return i >= 0 && i < collection.length ? wrapNode(collection[i]) : null; },
    };
  }
  function wrapNode(element) {
    return {
      nodeName: element.nodeName,
      get text() { return element.textContent.trim(); },
      get childNodes() { return nodeList(element.children); },
      getElementsByTagName(name) { return nodeList(element.getElementsByTagName(name)); },
    };
  }

  // ---- The XML DOM component ----------------------------------------------

  // parseError compares equal to 0 when the load succeeded (its value is the
  // error code) and carries the reason text otherwise.
  function parseErrorOf(errorCode, reason) {
    return { errorCode, reason, valueOf() { return this.errorCode; } };
  }

  class XmlDomDocument {
    constructor() {
      this.async = true;
      this.documentElement = null;
      this.parseError = parseErrorOf(0, '');
    }

    // The pages set async to false first; only that way of loading is provided.
    load(name) {
      if (this.async !== false)
        throw new Error('compat: only the synchronous load (async = false) is provided');
      this.documentElement = null;
      const loaded = loadXmlText(String(name));
      const parsed = loaded.error ? loaded : parseXml(loaded.text);
      if (parsed.error) {
        this.parseError = parseErrorOf(loaded.error ? -2146697210 : -1072896760, parsed.error);
        return false;
      }
      this.parseError = parseErrorOf(0, '');
      this.documentElement = wrapNode(parsed.doc.documentElement);
      return true;
    }
  }

  window.ActiveXObject = function ActiveXObject(progId) {
    if (String(progId).toLowerCase() === 'microsoft.xmldom')
      return new XmlDomDocument();
    throw new Error(`compat: no component "${progId}"`);
  };

  // ---- The global event object --------------------------------------------

  // Chromium still sets window.event while a handler runs and keeps
  // srcElement as the old name of target; fill them in only if a later
  // version drops them.
  if (!('srcElement' in Event.prototype)) {
    Object.defineProperty(Event.prototype, 'srcElement', {
      configurable: true,
      get() { return this.target; },
    });
  }
  if (!('event' in window)) {
    window.addEventListener('click', (e) => { window.event = e; }, true);
    window.addEventListener('click', () => { window.event = undefined; }, false);
  }

  // ---- Data islands and bound tables --------------------------------------

  // The records of a data island: the children of its root element, each a
  // map from field name (child element) to the field's text.
  function islandRecords(island) {
    const src = island.getAttribute('src');
    if (!src) return [];
    const loaded = loadXmlText(src);
    const parsed = loaded.error ? loaded : parseXml(loaded.text);
    if (parsed.error) {
      console.error(`compat: data island ${island.id}: ${parsed.error}`);
      return [];
    }
    return Array.from(parsed.doc.documentElement.children, (record) => {
      const fields = new Map();
      for (const field of record.children) fields.set(field.nodeName, field.textContent);
      return fields;
    });
  }

  // A table bound to an island with DATAPAGESIZE="1" shows one record at a
  // time, the first when the page opens. Its row is written once; the elements
  // in it that carry DATAFLD show the current record's field: an IFRAME as its
  // source, an INPUT as its value. The table answers firstPage, previousPage,
  // nextPage and lastPage; a turn beyond either end stays where it is. With no
  // record the row stays as written, its bound elements empty.
  function bindTable(table, records) {
    const pageSize = table.getAttribute('datapagesize');
    if (pageSize !== '1')
      throw new Error(`compat: only DATAPAGESIZE="1" is provided (table ${table.id}: ${pageSize})`);
    const bound = Array.from(table.querySelectorAll('[datafld]'));
    let current = 0;

    function show(index) {
      if (records.length === 0) return;
      current = Math.max(0, Math.min(index, records.length - 1));
      const record = records[current];
      for (const element of bound) {
        const value = record.get(element.getAttribute('datafld')) ?? '';
        if (element instanceof HTMLIFrameElement) {
          if (element.getAttribute('src') !== value) element.setAttribute('src', value);
        } else if (element instanceof HTMLInputElement) {
          element.value = value;
        }
      }
    }

    table.firstPage = () => show(0);
    table.previousPage = () => show(current - 1);
    table.nextPage = () => show(current + 1);
    table.lastPage = () => show(records.length - 1);
    show(0);
  }

  // Islands load and tables bind when the document has been read, before the
  // body's onload handler runs.
  document.addEventListener('DOMContentLoaded', () => {
    const islands = new Map();
    for (const island of document.querySelectorAll('xml[id]'))
      islands.set('#' + island.id.toLowerCase(), islandRecords(island));
    for (const table of document.querySelectorAll('table[datasrc]')) {
      const records = islands.get(table.getAttribute('datasrc').toLowerCase());
      if (!records) {
        console.error(`compat: table ${table.id}: no data island ${table.getAttribute('datasrc')}`);
        continue;
      }
      bindTable(table, records);
    }
  });
})();
