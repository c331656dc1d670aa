// Benchmark: how long from a tick of the game clock to the web page's update, on this PC
// (loopback) in headless Chromium; then the same with 100 more pages open, and whether
// those move the ticks outside the clock's budget (see bench/clock).
//
// The staged program runs in the end-to-end tests' private desktop session (its own X
// server and session bus) with its web view on. One page watches: it estimates the
// program's clock over the socket (window.zorvu.offset, from the shortest recent round
// trip) and notes, on that clock, when each state arrived and was put on the page
// ("update") and when the next frame that draws it began ("frame"). Each state carries
// the moment the program sent it ("at"). Tick n of a clock started at t0 is due at
// t0 + n s, t0 being the "at" of the start's own state; so
//
//   tick to update = update - due,   tick to frame = frame - due,   late = at - due
//
// where "late" is how far the program's tick itself (and the work before the page's
// state is made) is from its deadline: the clock's budget is a largest error under
// 5 ms and a drift under 0.5 ms/min. All program times are whole milliseconds.
//
// usage: web_latency.mjs STAGED_PROGRAM_FOLDER [TICKS] [PAGES]   (60, 100)
//    or: cmake --build build --target bench_web
import { spawnSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { launchBrowser, openPage, sleep, startProgram, until } from "../../tests/e2e/browser.mjs";

const [staged, ticks = 60, pages = 100] = process.argv.slice(2).map((a, i) => (i ? +a : a));
const TARGET_MEDIAN_MS = 20;
const session = path.join(path.dirname(new URL(import.meta.url).pathname),
  "../../tests/e2e/session");
const pointer = path.join(fs.mkdtempSync(path.join(os.tmpdir(), "zorvu-web-bench.")), "session");

const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor((xs.length - 1) / 2)];
const largest = (xs) => Math.max(...xs.map(Math.abs));
// Least-squares slope of the errors over the ticks, in ms per minute.
function drift(ns, errors) {
  const mean = (xs) => xs.reduce((a, b) => a + b, 0) / xs.length;
  const [n0, e0] = [mean(ns), mean(errors)];
  const num = ns.reduce((s, n, i) => s + (n - n0) * (errors[i] - e0), 0);
  return (num / ns.reduce((s, n) => s + (n - n0) ** 2, 0)) * 60;
}

// The watching page's updates for ticks first..first+ticks-1 of the clock started at t0.
async function measure(page, t0, first) {
  await page.waitForFunction((t0, last) => window.zorvu.updates.some(
    (u) => Math.round((u.at - t0) / 1000) >= last && u.painted),
    { timeout: (ticks + 10) * 1000, polling: 200 },
  t0, first + ticks - 1);
  const updates = (await page.evaluate(() => window.zorvu.updates))
    .map((u) => ({ ...u, n: Math.round((u.at - t0) / 1000) }))
    .filter((u) => u.n >= first && u.n < first + ticks);
  const since = (moment) => updates.map((u) => u[moment] - (t0 + u.n * 1000));
  return { updates: since("shown"), frames: since("painted"), late: since("at"),
    ns: updates.map((u) => u.n), count: updates.length };
}

function report(title, m) {
  const f = (xs) => `median ${median(xs).toFixed(1)}, largest ${Math.max(...xs).toFixed(1)}`;
  console.log(`${title}: ${m.count} ticks`);
  console.log(`  tick to update (ms): ${f(m.updates)}`);
  console.log(`  tick to frame (ms):  ${f(m.frames)}`);
  console.log(`  tick late at the program (ms): median ${median(m.late).toFixed(1)}, ` +
    `largest ${largest(m.late).toFixed(1)}, ` +
    `drift ${drift(m.ns, m.late).toFixed(2)} ms/min`);
}

spawnSync(session, ["start", pointer], { stdio: "inherit" });
const env = fs.readFileSync(path.join(fs.readFileSync(pointer, "utf8").trim(), "env"), "utf8");
for (const [, name, value] of env.matchAll(/^(\w+)=(.*)$/gm)) process.env[name] = value;
process.env.QT_QPA_PLATFORM = "xcb";
const program = await startProgram(staged);
const browser = await launchBrowser();
try {
  const watcher = await openPage(browser, program);
  await until(() => watcher.evaluate(() => window.zorvu.offset !== null));
  await sleep(1000); // the burst of pings is over
  program.run("--start");
  const t0 = await until(() => watcher.evaluate(() => window.zorvu.state.running &&
    window.zorvu.state.clock === "00:00:00" && window.zorvu.state.at));
  console.log(`Web view benchmark: ${ticks} ticks, headless Chromium on loopback ` +
    `(shortest round trip ${(await watcher.evaluate(() => window.zorvu.rtt)).toFixed(2)} ms)`);
  const alone = await measure(watcher, t0, 1);
  report("1 page", alone);

  for (let i = 0; i < pages; i += 10)
    await Promise.all(Array.from({ length: Math.min(10, pages - i) },
      () => openPage(browser, program)));
  await until(() => program.status().web.clients === pages + 1, 30000);
  await watcher.bringToFront();
  const now = await watcher.evaluate(() => window.zorvu.state.at);
  const crowded = await measure(watcher, t0, Math.round((now - t0) / 1000) + 2);
  report(`${pages + 1} pages`, crowded);

  const met = median(alone.updates) < TARGET_MEDIAN_MS;
  console.log(`\nTarget: median tick to update under ${TARGET_MEDIAN_MS} ms: ` +
    (met ? "met" : "NOT met"));
  const kept = (m) => (largest(m.late) < 5 && Math.abs(drift(m.ns, m.late)) < 0.5
    ? "kept" : "NOT kept");
  console.log(`Clock budget (largest error under 5 ms, drift under 0.5 ms/min): ` +
    `${kept(alone)} with 1 page, ${kept(crowded)} with ${pages + 1}`);
} finally {
  await browser.close();
  program.stop();
  spawnSync(session, ["stop", pointer], { stdio: "inherit" });
  fs.rmSync(path.dirname(pointer), { recursive: true, force: true });
}
