// Opens the written welcome page in headless Chromium and checks what a user sees:
// the stylesheet applies, every image loads at its size, the heading's text is
// hidden behind the banner, and both links open a new window. Saves screenshots.
// usage: node check_page.mjs <index.htm> <output folder>   (PLAYWRIGHT_CORE_DIR set)
import { createRequire } from 'node:module';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

const [indexFile, outDir] = process.argv.slice(2);
const require = createRequire(path.join(process.env.PLAYWRIGHT_CORE_DIR, 'package.json'));
const { chromium } = require('playwright-core');

// The finish dialog's view: about 925 x 450 pixels, scrolling vertically.
const VIEW = { width: 925, height: 450 };
const TITLE = 'Quorvel Outlook Tolvane has been installed successfully';
const IMAGE_SIZES = {
  'img1.jpg': [613, 632],
  'title-tlvn.jpg': [709, 53],
  'bg-main.jpg': [8, 54],
  'tick.jpg': [41, 47],
  'main-bullet.gif': [4, 6],
};
// [selector, property, expected computed value]
const STYLES = [
  ['body', 'font-size', '12px'],
  ['body', 'font-family', 'Arial, Verdana, sans-serif'],
  ['body', 'color', 'rgb(0, 0, 0)'],
  ['body', 'margin-top', '0px'],
  ['h1', 'color', 'rgb(0, 147, 179)'],
  ['h1', 'margin-bottom', '24px'],
  ['h1', 'height', '54px'],
  ['h1', 'text-indent', '-321231px'],
  ['h1', 'background-repeat', 'no-repeat'],
  ['h1', 'background-position', '-2px 1px'],
  ['h2', 'font-size', '13.2px'],
  ['h2', 'margin-bottom', '13.2px'],
  ['p:not(.tick)', 'line-height', '18px'],
  ['p:not(.tick)', 'margin-bottom', '24px'],
  ['p:not(.tick)', 'text-align', 'justify'],
  ['p.tick', 'padding-left', '41px'],
  ['p.tick', 'min-height', '20px'],
  ['p.tick', 'margin-bottom', '18px'],
  ['p.tick', 'background-position', '0px -6px'],
  ['ul', 'list-style-type', 'none'],
  ['ul', 'margin-bottom', '18px'],
  ['ul li', 'padding-left', '12px'],
  ['ul li', 'background-position', '0px 7px'],
  ['a', 'color', 'rgb(0, 124, 156)'],
  ['a', 'text-decoration-line', 'none'],
  ['#main', 'background-repeat', 'repeat-x'],
  ['#main', 'background-color', 'rgb(255, 255, 255)'],
  ['#main', 'padding', '0px 24px 24px'],
];

const failures = [];
function check(ok, what) {
  if (!ok) failures.push(what);
}

const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--headless', '--disable-gpu', '--disable-background-networking',
         '--disable-component-update', '--disable-sync', '--no-first-run'],
});
try {
  const context = await browser.newContext({ viewport: VIEW });
  // The links lead off the machine: answer them here, the page itself stays local.
  await context.route(/^https?:/, (route) =>
    route.fulfill({ status: 200, contentType: 'text/html', body: '<title>link</title>' }));
  const page = await context.newPage();
  const problems = [];
  page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
  page.on('console', (m) => m.type() === 'error' && problems.push(`console: ${m.text()}`));
  page.on('requestfailed', (r) => problems.push(`failed: ${r.url()}`));
  const loaded = new Set();
  page.on('requestfinished', (r) => loaded.add(path.basename(new URL(r.url()).pathname)));

  const pageUrl = pathToFileURL(indexFile).href;
  await page.goto(pageUrl, { waitUntil: 'load' });

  // The document: standards mode from the XHTML doctype, UTF-8, English.
  const doc = await page.evaluate(() => ({
    title: document.title,
    mode: document.compatMode,
    charset: document.characterSet,
    lang: document.documentElement.lang,
    doctype: document.doctype && document.doctype.publicId,
    namespace: document.documentElement.namespaceURI,
    text: document.body.innerText,
    scrollWidth: document.documentElement.scrollWidth,
  }));
  check(doc.title === TITLE, `title is "${doc.title}"`);
  check(doc.mode === 'CSS1Compat', `rendered in ${doc.mode}`);
  check(doc.charset === 'UTF-8', `character set ${doc.charset}`);
  check(doc.lang === 'en', `language "${doc.lang}"`);
  check(doc.doctype === '-//W3C//DTD XHTML 1.0 Strict//EN', `doctype ${doc.doctype}`);
  check(doc.namespace === 'http://www.w3.org/1999/xhtml', `namespace ${doc.namespace}`);
  check(!doc.text.includes('\uFFFD') && !doc.text.includes('\u00EF\u00BB\u00BF'),
        'text shows broken characters or the byte-order mark');
  check(doc.scrollWidth <= VIEW.width, `page is ${doc.scrollWidth} px wide: it scrolls sideways`);

  // The stylesheet applies.
  for (const [selector, property, expected] of STYLES) {
    const actual = await page.$eval(selector,
      (el, prop) => getComputedStyle(el).getPropertyValue(prop), property);
    check(actual === expected, `${selector} ${property} is "${actual}", not "${expected}"`);
  }

  // Every image, in the page and in the stylesheet, loads at its stated size.
  const images = await page.evaluate(async () => {
    const urls = new Set([...document.images].map((i) => i.src));
    for (const el of document.querySelectorAll('*')) {
      const bg = getComputedStyle(el).backgroundImage;
      const m = bg && bg.match(/url\("?(.*?)"?\)/);
      if (m) urls.add(m[1]);
    }
    const sizes = {};
    for (const url of urls) {
      const img = new Image();
      img.src = url;
      try {
        await img.decode();
        sizes[url.split('/').pop()] = [img.naturalWidth, img.naturalHeight, url];
      } catch {
        sizes[url.split('/').pop()] = [0, 0, url];
      }
    }
    return sizes;
  });
  for (const [name, [w, h]] of Object.entries(IMAGE_SIZES)) {
    const got = images[name];
    check(got && got[2].includes('/images/' + name), `${name} is not used from images/`);
    check(got && got[0] === w && got[1] === h,
          `${name} is ${got ? got[0] + 'x' + got[1] : 'not loaded'}, not ${w}x${h}`);
  }
  check(Object.keys(images).length === Object.keys(IMAGE_SIZES).length,
        `images used: ${Object.keys(images).join(', ')}`);
  for (const name of ['welcome_style.css', ...Object.keys(IMAGE_SIZES)])
    check(loaded.has(name), `${name} was never loaded by the page`);

  // The heading is the banner: its box is in view, its text far to the left of it.
  const heading = await page.evaluate(() => {
    const h1 = document.querySelector('h1#title-tvn');
    const range = document.createRange();
    range.selectNodeContents(h1);
    const box = h1.getBoundingClientRect();
    const text = range.getBoundingClientRect();
    return { text: h1.textContent, box: [box.left, box.top, box.width, box.height],
             textRight: text.right };
  });
  check(heading.text === TITLE, `heading reads "${heading.text}"`);
  check(heading.textRight < 0, `heading text ends at x=${heading.textRight}, inside the view`);
  const [left, top, width, height] = heading.box;
  check(left >= 0 && top >= 0 && width > 700 && height === 54,
        `banner box at ${heading.box.join(',')} is not in view`);

  // What the user sees first, before anything is clicked.
  const view = path.join(outDir, 'page-view.png');
  const full = path.join(outDir, 'page-full.png');
  await page.screenshot({ path: view });
  await page.screenshot({ path: full, fullPage: true });
  console.log(`screenshot (the dialog's view, ${VIEW.width}x${VIEW.height}): ${view}`);
  console.log(`screenshot (whole page): ${full}`);

  // Both links open a new window, with their sts parameter and a title.
  const links = await page.$$eval('ul li a', (as) => as.map((a) => ({
    href: a.href, target: a.getAttribute('target'), title: a.getAttribute('title') })));
  check(links.length === 2, `${links.length} links in the list`);
  for (const [i, link] of links.entries()) {
    check(link.target === '_blank', `link ${link.href} has target ${link.target}`);
    check(!!link.title, `link ${link.href} has no title`);
    check(new URL(link.href).searchParams.get('sts') === '1359', `link ${link.href} lacks sts=1359`);
    const popup = page.waitForEvent('popup', { timeout: 5000 }).catch(() => null);
    await page.click(`ul li:nth-child(${i + 1}) a`);
    const opened = await popup;
    check(opened, `link ${link.href} opened no new window`);
    if (opened) {
      await opened.waitForLoadState();
      check(opened.url() === link.href, `link opened ${opened.url()}, not ${link.href}`);
      await opened.close();
    }
    if (page.url() !== pageUrl) {
      failures.push(`the page itself went to ${page.url()}`);
      await page.goto(pageUrl);
    }
  }

  for (const p of problems)
    failures.push(p);
} finally {
  await browser.close();
}

if (failures.length) {
  for (const f of failures)
    console.error(`FAIL: ${f}`);
  process.exit(1);
}
console.log(`welcome page: ${STYLES.length} styles, ${Object.keys(IMAGE_SIZES).length} images and 2 links checked`);
