// Follows the running match over a WebSocket: each state the program pushes is
// shown as it arrives. Estimates the program's clock, so that a Sync tap counts at
// the moment it was made, not when it arrives.
"use strict";
const params = new URLSearchParams(location.search);
const overlay = params.get("overlay") === "1";
// An overlay's address ends up in stream settings and on screen: it never drives.
const key = overlay ? "" : params.get("key") || "";
const $ = (id) => document.getElementById(id);
const root = document.documentElement;
const items = ["sniper", "rocket", "camo", "overshield"];
const zorvu = (window.zorvu = { offset: null, rtt: Infinity, updates: [], state: null });
let socket = null;
let checkNow = null; // asks the open socket for a sign of life
let retry = null;
let retryMs = 500;
let lostAt = null;
let samples = []; // the recent round trips
let hush = null;

root.classList.toggle("overlay", overlay);

function show(state) {
  $("map").textContent = state.map;
  $("special").textContent = state.special === "none" ? "" : state.special.toUpperCase();
  for (const item of items) $(item).textContent = state[item] ?? "–";
  $("clock").textContent = state.clock;
  $("delay").textContent = state.delay ?? "";
  zorvu.state = state;
  if (zorvu.offset === null) return;
  // On the program's clock: when it arrived and was shown, and the frame that drew it.
  const update = { at: state.at, shown: performance.now() + zorvu.offset };
  if (zorvu.updates.push(update) > 1000) zorvu.updates.shift();
  requestAnimationFrame(() => { update.painted = performance.now() + zorvu.offset; });
}

// The offset from the shortest of the recent round trips: the clocks of a phone and a
// PC drift apart by some tens of milliseconds an hour.
function pong(message, sentAt) {
  const now = performance.now();
  const sample = { rtt: now - sentAt, offset: message.now - (sentAt + now) / 2 };
  samples = [...samples.slice(-11), sample];
  const best = samples.reduce((a, b) => (b.rtt < a.rtt ? b : a));
  zorvu.rtt = best.rtt;
  zorvu.offset = best.offset;
}

function connect() {
  clearTimeout(retry);
  const here = (socket = new WebSocket(`ws://${location.host}/socket` +
    (key ? `?key=${encodeURIComponent(key)}` : "")));
  const pings = new Map();
  let pingId = 0;
  let pinger = null;
  const ping = () => {
    pings.set(++pingId, performance.now());
    here.send(JSON.stringify({ type: "ping", id: pingId }));
  };
  const unanswered = (ms) => [...pings.values()].some((t) => performance.now() - t > ms);
  const end = (why) => {
    clearInterval(pinger);
    here.onclose = here.onmessage = null;
    if (socket === here) lost(why);
  };
  // A network that went without a word (a phone's Wi-Fi) answers no ping.
  const drop = () => { here.close(); end("No answer from the timer"); };
  here.onopen = () => {
    retryMs = 500;
    lostAt = null;
    samples = [];
    root.classList.remove("away");
    $("away").hidden = true;
    let early = 0;
    // A burst first, then now and then.
    const beat = () => (unanswered(4000) ? drop() : ping());
    pinger = setInterval(() => {
      beat();
      if (++early === 8) {
        clearInterval(pinger);
        pinger = setInterval(beat, 5000);
      }
    }, 100);
    checkNow = () => { ping(); setTimeout(() => unanswered(1500) && drop(), 2000); };
  };
  here.onmessage = (event) => {
    const message = JSON.parse(event.data);
    if (message.type === "state") show(message);
    else if (message.type === "pong" && pings.has(message.id)) {
      pong(message, pings.get(message.id));
      pings.delete(message.id);
    } else if (message.type === "hello") {
      $("controls").hidden = !message.control;
      if (key && !message.control)
        say("This control link's key is not the timer's one: the page only watches. " +
            "Open the control link from the Web View window again.", 0);
    } else if (message.type === "error") say(message.message);
  };
  here.onclose = (event) => end(event.reason);
}

function lost(why) {
  lostAt ??= new Date();
  root.classList.add("away");
  $("away").textContent = `${why || "Connection to the timer lost"} at ` +
    `${lostAt.toLocaleTimeString()}. Reconnecting…`;
  $("away").hidden = false;
  retry = setTimeout(connect, retryMs);
  retryMs = Math.min(retryMs * 2, 5000);
}

function say(text, ms = 4000) {
  $("message").textContent = text;
  $("message").hidden = false;
  clearTimeout(hush);
  if (ms) hush = setTimeout(() => { $("message").hidden = true; }, ms);
}

// A screen that slept may have lost the connection without a word: look at once.
document.addEventListener("visibilitychange", () => {
  if (document.hidden) return;
  if (socket.readyState === WebSocket.OPEN) checkNow();
  else if (socket.readyState !== WebSocket.CONNECTING) connect();
});

for (const button of document.querySelectorAll("nav button")) {
  // pointerdown, not click: the tap's moment is when the finger lands.
  button.addEventListener("pointerdown", (event) => {
    if (event.button !== 0) return;
    if (socket.readyState !== WebSocket.OPEN) return say("Not connected.");
    const command = { type: "command", command: button.dataset.command };
    if (button.dataset.value) command.value = button.dataset.value;
    if (command.command === "sync" && zorvu.offset !== null)
      command.at = event.timeStamp + zorvu.offset;
    socket.send(JSON.stringify(command));
    navigator.vibrate?.(20);
  });
}

connect();
