// Follows the running match over a WebSocket: each state the program pushes is
// shown as it arrives. Estimates the program's clock, so that a Sync tap counts at
// the moment it was made, not when it arrives.
"use strict";
const params = new URLSearchParams(location.search);
const overlay = params.get("overlay") === "1";
const key = overlay ? "" : params.get("key") || "";
const $ = (id) => document.getElementById(id);
const items = ["sniper", "rocket", "camo", "overshield"];
const zorvu = (window.zorvu = { offset: null, rtt: Infinity, updates: [], state: null });
let socket = null;
let retryMs = 1000;

document.body.classList.toggle("overlay", overlay);

function show(state) {
  $("map").textContent = state.map;
  $("special").textContent = state.special === "none" ? "" : state.special.toUpperCase();
  for (const item of items) $(item).textContent = state[item] ?? "–";
  $("clock").textContent = state.clock;
  $("delay").textContent = state.delay ?? "";
  zorvu.state = state;
  if (zorvu.offset !== null)
    zorvu.updates.push({ at: state.at, shown: performance.now() + zorvu.offset });
}

// The sample with the shortest round trip gives the best offset.
function pong(message, sentAt) {
  const now = performance.now();
  const rtt = now - sentAt;
  if (rtt <= zorvu.rtt) {
    zorvu.rtt = rtt;
    zorvu.offset = message.now - (sentAt + now) / 2;
  }
}

function connect() {
  const url = `ws://${location.host}/socket` + (key ? `?key=${encodeURIComponent(key)}` : "");
  const pings = new Map();
  let pingId = 0;
  let pinger = null;
  socket = new WebSocket(url);
  const ping = () => {
    pings.set(++pingId, performance.now());
    socket.send(JSON.stringify({ type: "ping", id: pingId }));
  };
  socket.onopen = () => {
    retryMs = 1000;
    $("away").hidden = true;
    zorvu.rtt = Infinity;
    let early = 0;
    // A burst first, then now and then: the best round trip drifts little.
    pinger = setInterval(() => { ping(); if (++early === 8) { clearInterval(pinger);
      pinger = setInterval(ping, 5000); } }, 100);
  };
  socket.onmessage = (event) => {
    const message = JSON.parse(event.data);
    if (message.type === "state") show(message);
    else if (message.type === "pong" && pings.has(message.id)) {
      pong(message, pings.get(message.id));
      pings.delete(message.id);
    } else if (message.type === "hello") $("controls").hidden = !message.control;
    else if (message.type === "error") say(message.message);
  };
  socket.onclose = () => {
    clearInterval(pinger);
    $("away").textContent = "Connection to the timer lost. Reconnecting…";
    $("away").hidden = false;
    setTimeout(connect, retryMs);
    retryMs = Math.min(retryMs * 2, 5000);
  };
}

function say(text) {
  $("message").textContent = text;
  $("message").hidden = false;
  setTimeout(() => { $("message").hidden = true; }, 4000);
}

for (const button of document.querySelectorAll("nav button")) {
  // pointerdown, not click: the tap's moment is when the finger lands.
  button.addEventListener("pointerdown", () => {
    if (!socket || socket.readyState !== WebSocket.OPEN) return say("Not connected.");
    const command = { type: "command", command: button.dataset.command };
    if (button.dataset.value) command.value = button.dataset.value;
    if (command.command === "sync" && zorvu.offset !== null)
      command.at = performance.now() + zorvu.offset;
    socket.send(JSON.stringify(command));
  });
}

connect();
