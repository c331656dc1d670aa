// The web view's two looks for the README, in headless Chromium: the page with the
// control key as a phone shows it, and the overlay over a checkerboard of light and dark
// squares, which shows through where the page is transparent. tools/screenshots runs it.
//
// usage: page-shots.mjs PAGE_URL KEY DOCS_FOLDER
import path from "node:path";
import { launchBrowser } from "../tests/e2e/browser.mjs";

const [url, key, docs] = process.argv.slice(2);
const browser = await launchBrowser();
try {
  const phone = await browser.newPage();
  await phone.setViewport({ width: 360, height: 740, deviceScaleFactor: 2, isMobile: true,
    hasTouch: true });
  await phone.goto(`${url}?key=${key}`);
  await phone.waitForSelector("#controls:not([hidden])");
  await phone.screenshot({ path: path.join(docs, "web-page.png") });

  const stream = await browser.newPage();
  await stream.setViewport({ width: 560, height: 260, deviceScaleFactor: 1 });
  await stream.setContent(`<body style="margin:0; background: repeating-conic-gradient(
    #e8e8e8 0 25%, #303030 0 50%) 0 0 / 80px 80px"><iframe src="${url}?overlay=1"
    style="border:0; width:100vw; height:100vh"></iframe>`);
  const frame = await (await stream.waitForSelector("iframe")).contentFrame();
  await frame.waitForFunction(() => window.zorvu.state);
  await new Promise((r) => setTimeout(r, 300)); // the first frame drawn
  await stream.screenshot({ path: path.join(docs, "web-overlay.png") });
} finally {
  await browser.close();
}
