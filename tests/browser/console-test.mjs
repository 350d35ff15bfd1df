// The browser console in the system's headless Chromium against devhttpd
// under kiosk-sim (a flipping board with a card at the front slot): boards
// and stations shown, a click on the reader station moves the highlight
// through the events, a pulled cable shows its error. Run by run-console-test.sh.
import { spawn } from "node:child_process";
import fs from "node:fs";
import net from "node:net";
import os from "node:os";
import path from "node:path";
import puppeteer from "puppeteer-core";

const devhttpd = process.env.DEVHTTPD;
const webRoot = process.env.WEB_ROOT;
const outDir = process.env.OUT_DIR || process.cwd();
const control = process.env.KIOSK_SIM_CONTROL;
const chromium = process.env.CHROMIUM || "/usr/bin/chromium";
const timeout = 20000;

function fail(message) {
  console.error("FAIL: " + message);
  process.exitCode = 1;
  throw new Error(message);
}

function freePort() {
  return new Promise((resolve) => {
    const server = net.createServer().listen(0, "127.0.0.1", () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

// One control-socket action; resolves with its result line.
function simAction(action) {
  return new Promise((resolve, reject) => {
    const socket = net.createConnection(control);
    let pending = "";
    const timer = setTimeout(() => { socket.destroy(); reject(new Error("no result for " + action.action)); }, 5000);
    socket.on("data", (chunk) => {
      pending += chunk;
      for (let nl; (nl = pending.indexOf("\n")) >= 0; pending = pending.slice(nl + 1)) {
        const line = JSON.parse(pending.slice(0, nl));
        if (line.event === "result" && line.id === 1) {
          clearTimeout(timer);
          socket.end();
          resolve(line);
        }
      }
    });
    socket.on("error", reject);
    socket.write(JSON.stringify({ ...action, id: 1 }) + "\n");
  });
}

async function startService() {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), "console-"));
  fs.symlinkSync(webRoot, path.join(dir, "web"));
  const port = await freePort();
  const log = fs.openSync(path.join(outDir, "devhttpd.out"), "w");
  const child = spawn(devhttpd, ["http_port", String(port)], { cwd: dir, stdio: ["ignore", log, log] });
  for (let i = 0; i < 200; ++i) {
    try {
      const reply = await fetch(`http://127.0.0.1:${port}/version`);
      if (reply.ok) return { child, port, dir };
    } catch (e) { /* not listening yet */ }
    await new Promise((r) => setTimeout(r, 100));
  }
  child.kill("SIGKILL");
  fail("devhttpd did not start");
}

async function highlighted(page) {
  return page.$$eval(".board .station.card", (els) => els.map((el) => Number(el.dataset.partId)));
}

async function main() {
  if (!devhttpd || !webRoot || !control) fail("DEVHTTPD, WEB_ROOT and KIOSK_SIM_CONTROL must be set");
  fs.mkdirSync(outDir, { recursive: true });
  const service = await startService();
  // The browser is no device host: it runs without the simulator's preload.
  const browserEnv = { ...process.env };
  delete browserEnv.LD_PRELOAD;
  delete browserEnv.UMOCKDEV_DIR;
  const browser = await puppeteer.launch({
    executablePath: chromium, headless: true, env: browserEnv,
    args: ["--no-sandbox", "--disable-gpu", "--no-first-run", "--lang=en-US"],
  });
  try {
    const page = await browser.newPage();
    await page.setViewport({ width: 1024, height: 768 });
    const calls = [];
    page.on("request", (request) => {
      if (request.url().includes("/api/call_method/")) calls.push(request.postData() || "");
    });
    page.on("pageerror", (error) => fail("page error: " + error.message));
    await page.goto(`http://127.0.0.1:${service.port}/`, { waitUntil: "load", timeout });

    // The flipping board, its stations, the card at the front slot, live events on.
    await page.waitForSelector('.board[data-device-type="09"] .station[data-part-id="2"]', { timeout });
    await page.waitForFunction(() => document.querySelector("#live").dataset.state === "connected", { timeout });
    const stations = await page.$$eval('.board[data-device-type="09"] .station', (els) => els.length);
    if (stations < 9) fail(`the flipping board shows ${stations} stations`);
    if (JSON.stringify(await highlighted(page)) !== "[0]") fail("card not shown at the front slot");
    const version = await page.$eval("#version", (el) => el.textContent);
    if (version !== "1.1.0") fail("version shown as " + version);

    // The move: the highlight follows the event, with no state read after it.
    await page.evaluate(() => { window.notReloaded = true; });
    calls.length = 0;
    await page.click('.board[data-device-type="09"] .station[data-part-id="2"]');
    await page.waitForFunction(
      () => [...document.querySelectorAll(".station.card")].map((e) => e.dataset.partId).join() === "2",
      { timeout });
    await page.waitForFunction(() => !document.querySelector(".board.busy"), { timeout });
    const kinds = calls.map((body) => JSON.parse(body).funccode);
    if (kinds.join() !== "send_to_parts") fail("calls after the click: " + kinds.join());
    if (!(await page.evaluate(() => window.notReloaded === true))) fail("the page was reloaded");
    const logged = await page.$eval("#event-log", (el) => el.textContent);
    if (!logged.includes("Card reader")) fail("event log lacks the move: " + logged);

    // A move made by another client reaches the page only as an event.
    const moved = await fetch(`http://127.0.0.1:${service.port}/api/call_method/send_to_parts`, {
      method: "POST",
      body: JSON.stringify({ funccode: "send_to_parts", object_name: "KQUSBDevice", device_type: 9,
                             conditions: { target_id: 3 } }),
    }).then((r) => r.json());
    if (moved.result !== 0) fail("outside move failed: " + JSON.stringify(moved));
    await page.waitForFunction(
      () => [...document.querySelectorAll(".station.card")].map((e) => e.dataset.partId).join() === "3",
      { timeout });

    // Cable pulled: the next move fails and the error shows its code and message.
    const pulled = await simAction({ action: "unplug", board: 0 });
    if (!pulled.ok) fail("unplug refused");
    await page.click('.board[data-device-type="09"] .station[data-part-id="2"]');
    await page.waitForSelector("#error:not([hidden])", { timeout });
    const code = await page.$eval("#error-code", (el) => el.textContent);
    const message = await page.$eval("#error-text", (el) => el.textContent);
    if (!/^\d+$/.test(code) || code === "0" || message === "") fail(`error shown as "${code}" "${message}"`);
    await page.waitForFunction(() => !document.querySelector(".board.busy"), { timeout });
    await page.screenshot({ path: path.join(outDir, "console.png") });
    console.log(`error shown: ${code} ${message}`);
    console.log("1 passed, 0 failed");
  } finally {
    await browser.close();
    service.child.kill("SIGTERM");
    fs.rmSync(service.dir, { recursive: true, force: true });
  }
}

main().catch((error) => {
  if (!process.exitCode) console.error("FAIL: " + (error.stack || error));
  console.log("0 passed, 1 failed");
  process.exitCode = 1;
});
