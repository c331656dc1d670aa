// The program serving its web view, and headless Chromium to open it: for the browser
// test, the web bench and the screenshots. Node's side of harness.py.
import { execFileSync, spawn } from "node:child_process";
import fs from "node:fs";
import net from "node:net";
import os from "node:os";
import path from "node:path";
import puppeteer from "puppeteer-core";

export const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Polls check until it gives something true, and gives that.
export async function until(check, ms = 10000, what = "timed out") {
  for (const end = Date.now() + ms; Date.now() < end; await sleep(50)) {
    const found = await check();
    if (found) return found;
  }
  throw new Error(what);
}

// A copy of the staged program folder with the control key in its times.ini, running
// with its web view on a free port of this PC.
export async function startProgram(staged, key = "k3y-0f-the-test") {
  const dir = path.join(fs.mkdtempSync(path.join(os.tmpdir(), "zorvu-web.")), "zorvu-timer");
  fs.cpSync(staged, dir, { recursive: true, filter: (f) => !f.endsWith(".wav") });
  const ini = path.join(dir, "times.ini");
  fs.writeFileSync(ini, fs.readFileSync(ini, "latin1").replace("[settings]",
    `[settings]\nwebkey=${key}`), "latin1");
  // A free port where the program takes one: below the range of outgoing ones.
  let port = 0;
  while (!port) {
    const tried = 20000 + Math.floor(Math.random() * 12768);
    const free = net.createServer();
    if (await new Promise((r) => free.once("error", () => r(false)).listen(tried, "127.0.0.1",
      () => r(true)))) {
      await new Promise((r) => free.close(r));
      port = tried;
    }
  }
  const proc = spawn("./zorvu-timer", ["--web", `--port=${port}`], { cwd: dir, stdio: "ignore" });
  const run = (...args) => execFileSync("./zorvu-timer", args, { cwd: dir, encoding: "utf8" });
  const status = () => JSON.parse(run("--status"));
  const stop = () => {
    proc.kill();
    fs.rmSync(path.dirname(dir), { recursive: true, force: true });
  };
  await until(() => { try { return status().web.on; } catch { return false; } },
    20000, "the program does not serve").catch((e) => { stop(); throw e; });
  return { port, key, run, status, stop, url: `http://127.0.0.1:${port}/` };
}

// Debian's chromium, which needs no sandbox for our own page (and cannot have one as root).
export const launchBrowser = () => puppeteer.launch({
  executablePath: process.env.CHROMIUM || "/usr/bin/chromium", args: ["--no-sandbox"] });

// A tab showing the page (query: "?key=…", "?overlay=1"…) once it has the program's state.
export async function openPage(browser, program, query = "") {
  const page = await browser.newPage();
  await page.goto(program.url + query);
  await page.waitForFunction(() => window.zorvu.state, { polling: 50 });
  return page;
}
