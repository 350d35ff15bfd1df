// Event latency: from the simulator reporting a card's arrival at a station
// (its control socket's "change") to the console page showing the card there,
// for moves made by another client (the page learns of them only through
// /ws). Prints the median and the worst.
import { spawn } from "node:child_process";
import fs from "node:fs";
import { createRequire } from "node:module";
import net from "node:net";
import os from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import { Worker } from "node:worker_threads";

const repo = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../..");
const puppeteer = createRequire(path.join(repo, "tests/browser/package.json"))("puppeteer-core");
const devhttpd = process.env.DEVHTTPD;
const moves = Number(process.env.MOVES || 100);
const now = () => performance.timeOrigin + performance.now();

function freePort() {
  return new Promise((resolve) => {
    const server = net.createServer().listen(0, "127.0.0.1", () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

// Arrival times of the card at each station, as the simulator reports them,
// taken on a thread of their own so that the page's work does not delay them.
const arrivals = [];
const reader = new Worker(`
  const { parentPort, workerData } = require("node:worker_threads");
  const sim = require("node:net").createConnection(workerData);
  let pending = "";
  sim.on("data", (chunk) => {
    const at = performance.timeOrigin + performance.now();
    pending += chunk;
    for (let nl; (nl = pending.indexOf("\\n")) >= 0; pending = pending.slice(nl + 1)) {
      const line = JSON.parse(pending.slice(0, nl));
      const m = line.event === "change" && /^card \\S+ -> (\\d+)$/.exec(line.what);
      if (m) parentPort.postMessage({ part: Number(m[1]), at });
    }
  });
  parentPort.on("message", () => { sim.end(); parentPort.close(); });
`, { eval: true, workerData: process.env.KIOSK_SIM_CONTROL });
reader.on("message", (arrival) => arrivals.push(arrival));

const dir = fs.mkdtempSync(path.join(os.tmpdir(), "event-latency-"));
fs.symlinkSync(path.join(repo, "web"), path.join(dir, "web"));
const port = await freePort();
const service = spawn(devhttpd, ["http_port", String(port)], { cwd: dir, stdio: "ignore" });
const base = `http://127.0.0.1:${port}`;
for (let i = 0; i < 200; ++i) {
  try { if ((await fetch(base + "/version")).ok) break; } catch (e) { /* starting */ }
  await new Promise((r) => setTimeout(r, 100));
}
const env = { ...process.env };
delete env.LD_PRELOAD;
delete env.UMOCKDEV_DIR;
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || "/usr/bin/chromium", headless: true, env,
  args: ["--no-sandbox", "--disable-gpu", "--no-first-run"],
});
const page = await browser.newPage();
await page.setViewport({ width: 1024, height: 768 });
await page.goto(base + "/", { waitUntil: "load" });
await page.waitForSelector('.station[data-part-id="2"]');
await page.waitForFunction(() => document.querySelector("#live").dataset.state === "connected");
// Time of each change of the highlighted station, as the page shows it.
await page.evaluate(() => {
  window.shown = [];
  new MutationObserver(() => {
    const card = document.querySelector(".station.card");
    const part = card ? Number(card.dataset.partId) : -1;
    const last = window.shown[window.shown.length - 1];
    if (!last || last.part !== part) window.shown.push({ part, at: performance.timeOrigin + performance.now() });
  }).observe(document.querySelector("#boards"), { subtree: true, childList: true, attributes: true });
});

const latencies = [];
for (let i = 0; i < moves; ++i) {
  const target = i % 2 === 0 ? 2 : 3;
  arrivals.length = 0;
  await page.evaluate(() => { window.shown = []; });
  const reply = await fetch(base + "/api/call_method/send_to_parts", {
    method: "POST",
    body: JSON.stringify({ funccode: "send_to_parts", object_name: "KQUSBDevice", device_type: 9,
                           conditions: { target_id: target } }),
  }).then((r) => r.json());
  if (reply.result !== 0) throw new Error("move failed: " + JSON.stringify(reply));
  await page.waitForFunction((t) => window.shown.some((s) => s.part === t), {}, target);
  const shown = (await page.evaluate(() => window.shown)).find((s) => s.part === target);
  for (let k = 0; k < 100 && !arrivals.some((a) => a.part === target); ++k) {
    await new Promise((r) => setTimeout(r, 10));
  }
  const arrival = arrivals.find((a) => a.part === target);
  if (!arrival) throw new Error("no arrival reported for move " + i);
  latencies.push(shown.at - arrival.at);
}
await browser.close();
service.kill("SIGTERM");
reader.postMessage("stop");
fs.rmSync(dir, { recursive: true, force: true });

latencies.sort((a, b) => a - b);
const median = (latencies[(moves - 1) >> 1] + latencies[moves >> 1]) / 2;
console.log(`event latency, simulator change to page update, ${moves} moves: ` +
            `median ${median.toFixed(1)} ms, worst ${latencies[moves - 1].toFixed(1)} ms, ` +
            `best ${latencies[0].toFixed(1)} ms`);
