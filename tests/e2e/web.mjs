// The web view in headless Chromium, against the program in the private session: the
// page follows --status, the overlay is transparent, only the control key drives the
// clock, and the server refuses other origins, other hosts, garbage and bodies.
//
// usage: web.mjs STAGED_PROGRAM_FOLDER   (in the session, on a session bus of its own)
import assert from "node:assert/strict";
import http from "node:http";
import net from "node:net";
import { launchBrowser, openPage, startProgram, until } from "./browser.mjs";

const program = await startProgram(process.argv[2]);
const browser = await launchBrowser();
const elsewhere = http.createServer((_, res) => res.end("another site")).listen(0, "127.0.0.1");
try {
  program.run("--map=Blood Gulch");
  program.run("--special=oddball");
  // Start/Stop, its button shown by force where hidden: a page without the key or with a
  // wrong one gets an error back; the key's page starts the clock.
  for (const [query, starts] of [["", false], ["?key=x" + program.key, false],
    ["?key=" + program.key, true]]) {
    const page = await openPage(browser, program, query);
    await page.evaluate(() => { controls.hidden = false; message.hidden = true; });
    await page.click("[data-command=toggle]");
    await (starts ? until(() => program.status().running) : page.waitForSelector("#message:not([hidden])"));
    assert.equal(program.status().running, starts, query);
  }

  // Just after the page has shown a tick, --status says what it shows.
  const page = await openPage(browser, program);
  const before = await page.evaluate(() => clock.textContent);
  await page.waitForFunction((was) => clock.textContent !== was, {}, before);
  const fields = ["clock", "map", "special", "sniper", "rocket", "camo", "overshield"];
  const shown = await page.evaluate((ids) => ids.map((id) => document.getElementById(id)
    .textContent.toLowerCase()), fields);
  const status = program.status();
  assert.deepEqual(shown, fields.map((field) => status[field].toLowerCase()));

  // The overlay: a transparent page, and no controls even with the key in its address.
  const overlay = await openPage(browser, program, "?overlay=1&key=" + program.key);
  assert.deepEqual(await overlay.evaluate(() => [document.documentElement, document.body,
    controls].map((e, i) => getComputedStyle(e)[i < 2 ? "backgroundColor" : "display"])),
  ["rgba(0, 0, 0, 0)", "rgba(0, 0, 0, 0)", "none"]);

  // What a socket gets for what it sends after the hello (null: a binary frame): garbage
  // closes it. A page of another site (here another port) is refused at once.
  const other = await browser.newPage();
  await other.goto(`http://127.0.0.1:${elsewhere.address().port}/`);
  const ping = JSON.stringify({ type: "ping", id: 1 });
  for (const [from, sent, expected] of [[page, ping, "pong"], [page, null, "closed 1003"],
    [page, "ping", "closed 1008"], [page, '{"type":"shout"}', "closed 1008"],
    [other, ping, "closed 1006"]]) {
    assert.equal(await from.evaluate((port, sent) => new Promise((done) => {
      const socket = new WebSocket(`ws://127.0.0.1:${port}/socket`);
      socket.onmessage = ({ data }) => {
        const { type } = JSON.parse(data);
        if (type === "hello") socket.send(sent ?? new Uint8Array([1, 2]));
        else if (type !== "state") done(type);
      };
      socket.onclose = ({ code }) => done("closed " + code);
      setTimeout(() => done("still open"), 3000);
    }), program.port, sent), expected, sent);
  }

  // Raw requests, and the status each is answered with before the server closes.
  const host = `Host: 127.0.0.1:${program.port}\r\n`;
  for (const [request, code] of [[`GET / HTTP/1.1\r\nHost: evil.example:${program.port}\r\n\r\n`,
    "421"], [`GET / HTTP/1.1\r\n${host}Cookie: ${"x".repeat(9000)}\r\n\r\n`, "431"],
  [`POST / HTTP/1.1\r\n${host}Content-Length: 4\r\n\r\nbody`, "405"],
  [`GET / HTTP/1.1\r\n${host}Content-Length: 4\r\n\r\nbody`, "400"]]) {
    assert.equal(await new Promise((done) => {
      const socket = net.connect(program.port, "127.0.0.1", () => socket.write(request));
      let got = "";
      socket.on("data", (data) => { got += data; }).on("error", () => {});
      socket.on("close", () => done(got.split(" ")[1]));
    }), code, request.slice(0, 40));
  }
} finally {
  elsewhere.close();
  await browser.close();
  program.stop();
}
