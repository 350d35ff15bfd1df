// Browser console of devhttpd: the boards found, each board's stations with
// the card's place, moves and power-off, the live event log from /ws, and
// every failed call shown with its code and message.
"use strict";

const TEXTS = {
  zh: {
    title: "设备控制台", version: "服务版本", live: "实时事件", connection: "连接",
    reload: "重新查找板卡", error: "错误", dismiss: "关闭", boards: "板卡", events: "事件记录",
    clear: "清空", refresh: "刷新", powerOff: "关机", confirmPowerOff: "确认关机？",
    searching: "正在查找板卡…", noBoards: "未找到板卡。请检查连接后点击“重新查找板卡”。",
    connected: "已连接", connecting: "连接中…", disconnected: "已断开，正在重连…",
    card: "卡", noCard: "机构内无卡", cardAt: "卡在：", moving: "正在送卡到：",
    poweringOff: "正在关机…", poweredOff: "已关机", sendHere: "送卡到此工位",
    devid: "设备号", firmware: "固件", unreachable: "服务无响应", badReply: "应答无法解析",
    httpStatus: "HTTP 状态", eventOpen: "设备已打开", movedTo: "卡到达", unknownBoard: "（板卡未知）",
    codes: { 230: "板卡无应答", 232: "无法发送请求", 233: "应答过长", 236: "应答校验错误",
             258: "进卡超时，未检测到卡" },
    boardState: "板卡状态字节", noEvents: "尚无事件",
  },
  en: {
    title: "Device console", version: "Service version", live: "Live events", connection: "Link",
    reload: "Find boards again", error: "Error", dismiss: "Dismiss", boards: "Boards", events: "Event log",
    clear: "Clear", refresh: "Refresh", powerOff: "Power off", confirmPowerOff: "Confirm power off?",
    searching: "Looking for boards…", noBoards: "No board found. Check the cable, then press “Find boards again”.",
    connected: "connected", connecting: "connecting…", disconnected: "disconnected, retrying…",
    card: "Card", noCard: "No card in the mechanism", cardAt: "Card at: ", moving: "Sending the card to: ",
    poweringOff: "Powering off…", poweredOff: "Powered off", sendHere: "Send the card here",
    devid: "Device id", firmware: "Firmware", unreachable: "The service does not answer", badReply: "Unreadable reply",
    httpStatus: "HTTP status", eventOpen: "Device opened", movedTo: "Card reached", unknownBoard: "(board unknown)",
    codes: { 230: "no reply from the board", 232: "the request could not be written", 233: "reply too long",
             236: "reply check byte or length wrong", 258: "no card arrived while feeding" },
    boardState: "board state byte", noEvents: "No events yet",
  },
};

const STATION_EN = {
  0: "Front slot", 1: "Direction recognition", 2: "Card reader", 3: "QR-code reader",
  4: "Before the printer", 5: "Printer", 6: "Finished cards", 7: "Rejected cards",
  8: "Detain bin", 9: "Reader to transfer", 10: "Ready to print", 11: "Transfer module",
};
// Diagram places (column, row): the intake path on top, the printer path
// below, the exits on the left.
const STATION_PLACE = {
  0: [1, 1], 1: [2, 1], 2: [3, 1], 3: [4, 1],
  7: [1, 2], 8: [2, 2], 9: [3, 2], 11: [4, 2],
  6: [1, 3], 4: [2, 3], 10: [3, 3], 5: [4, 3],
};
const EXITS = new Set([0, 6, 7, 8]);
// Device types tried, in this order, to open a link that is not open yet.
const OPEN_TYPES = [9, 0, 1, 2, 0x19, 0x88];
const NOT_CONNECTED = 1167;
const LOG_LIMIT = 300;

const ui = {
  lang: localStorage.getItem("console.lang") ||
        (navigator.language && !navigator.language.startsWith("zh") ? "en" : "zh"),
  boards: [],
  busyBoard: null,
};

function t(key) { return TEXTS[ui.lang][key]; }
function $(id) { return document.getElementById(id); }

function applyTexts(root) {
  for (const el of (root || document).querySelectorAll("[data-text]")) el.textContent = t(el.dataset.text);
}

function setLanguage(lang) {
  ui.lang = lang;
  localStorage.setItem("console.lang", lang);
  document.documentElement.lang = lang === "zh" ? "zh-CN" : "en";
  document.title = t("title") + " · " + (lang === "zh" ? "Device console" : "设备控制台");
  $("lang").textContent = lang === "zh" ? "English" : "中文";
  $("lang").lang = lang === "zh" ? "en" : "zh-CN";
  applyTexts();
  $("event-log").dataset.empty = t("noEvents");
  setLive($("live").dataset.state);
  for (const board of ui.boards) renderBoard(board);
}

// A failed call: code and message, shown until dismissed or replaced.
class CallError extends Error {
  constructor(code, message) { super(message); this.code = code; }
}

function describe(doc) {
  if (typeof doc.msg === "string" && doc.msg !== "") return doc.msg;
  const known = t("codes")[doc.result];
  if (known) return known;
  if (doc.result > 0 && doc.result < 230) return t("boardState");
  return "";
}

function showError(error) {
  $("error-code").textContent = String(error.code);
  $("error-text").textContent = error.message;
  $("error").hidden = false;
}

function hideError() { $("error").hidden = true; }

async function call(args) {
  let reply;
  try {
    reply = await fetch("/api/call_method/" + encodeURIComponent(args.funccode), {
      method: "POST", cache: "no-store", body: JSON.stringify(args),
    });
  } catch (e) {
    throw new CallError("HTTP", t("unreachable"));
  }
  if (!reply.ok) throw new CallError("HTTP " + reply.status, t("httpStatus") + " " + reply.status);
  const text = await reply.text();
  if (text === "") return { result: 0 };
  let doc;
  try { doc = JSON.parse(text); } catch (e) { throw new CallError("JSON", t("badReply")); }
  if (doc.result !== 0) throw new CallError(doc.result, describe(doc));
  return doc;
}

function objectName() { return $("object-name").value; }

// The members that address one board: its type, and its device id when
// another board of the same type shares the link.
function selector(board) {
  const args = { object_name: objectName(), device_type: board.info.deviceType };
  const sameType = ui.boards.filter((b) => b.info.deviceType === board.info.deviceType);
  const ids = new Set(sameType.map((b) => b.info.DevID));
  if (sameType.length > 1 && ids.size === sameType.length) args.conditions = { DevID: board.info.DevID };
  return args;
}

function boardKey(info) { return info.deviceType + "/" + info.DevID + "/" + info.index; }

async function findBoards() {
  $("boards-note").textContent = t("searching");
  $("boards-note").hidden = false;
  let infos = null;
  try {
    infos = (await call({ funccode: "get_dev_info", object_name: objectName() })).data || [];
  } catch (e) {
    if (e.code !== NOT_CONNECTED) { showError(e); infos = []; }
  }
  // A link not open yet opens for one device type; the others on it follow.
  for (let i = 0; infos === null && i < OPEN_TYPES.length; ++i) {
    try {
      await call({ funccode: "get_dev_info", object_name: objectName(), device_type: OPEN_TYPES[i] });
      infos = (await call({ funccode: "get_dev_info", object_name: objectName() })).data || [];
    } catch (e) {
      if (e.code !== NOT_CONNECTED) { showError(e); infos = []; }
    }
  }
  ui.boards = (infos || []).map((info) => ({ info, parts: [], cardAt: new Set(), status: "", failed: false }));
  const host = $("boards");
  host.textContent = "";
  for (const board of ui.boards) {
    board.el = document.getElementById("board-template").content.firstElementChild.cloneNode(true);
    board.el.dataset.board = boardKey(board.info);
    board.el.dataset.deviceType = board.info.deviceType_hex || String(board.info.deviceType);
    board.el.querySelector(".refresh").onclick = () => loadBoard(board);
    board.el.querySelector(".poweroff").onclick = (ev) => powerOff(board, ev.currentTarget);
    host.appendChild(board.el);
  }
  if (ui.boards.length === 0) $("boards-note").textContent = t("noBoards");
  else $("boards-note").hidden = true;
  for (const board of ui.boards) await loadBoard(board);
}

async function loadBoard(board) {
  try {
    board.parts = (await call(Object.assign({ funccode: "get_part_list" }, selector(board)))).data || [];
    await readState(board);
    board.failed = false;
    board.status = "";
  } catch (e) {
    fail(board, e);
  }
  renderBoard(board);
}

async function readState(board) {
  const doc = await call(Object.assign({ funccode: "get_dev_state" }, selector(board)));
  board.cardAt = new Set();
  for (const list of doc.data || []) {
    for (const part of list) if (part.part_has) board.cardAt.add(part.part_id);
  }
}

function fail(board, error) {
  board.failed = true;
  board.status = t("error") + " " + error.code + (error.message ? ": " + error.message : "");
  showError(error);
  logLine(t("error") + " " + error.code, error.message, true);
}

function stationName(part) {
  return ui.lang === "en" && STATION_EN[part.part_id] ? STATION_EN[part.part_id] : part.part_name;
}

function renderBoard(board) {
  const el = board.el;
  if (!el) return;
  applyTexts(el);
  const info = board.info;
  el.querySelector(".board-name").textContent =
    (info.deviceType_c || "") + " (" + (info.deviceType_hex || info.deviceType) + ")";
  el.querySelector(".board-info").textContent =
    t("devid") + " " + (info.DevID || "–") + " · " + t("firmware") + " " + (info.firmware || "–") +
    (info.deviceName ? " · " + info.deviceName : "");
  const status = el.querySelector(".board-status");
  status.classList.toggle("failed", board.failed);
  if (board.status) {
    status.textContent = board.status;
  } else if (board.cardAt.size === 0) {
    status.textContent = t("noCard");
  } else {
    status.textContent = t("cardAt") + board.parts.filter((p) => board.cardAt.has(p.part_id))
      .map(stationName).join("、");
  }
  el.classList.toggle("busy", ui.busyBoard === board);
  const stations = el.querySelector(".stations");
  stations.textContent = "";
  let extraRow = 4;
  board.parts.forEach((part, i) => {
    const button = document.createElement("button");
    button.className = "station";
    button.dataset.partId = part.part_id;
    button.title = t("sendHere");
    if (EXITS.has(part.part_id)) button.classList.add("exit");
    const place = STATION_PLACE[part.part_id];
    if (place) {
      button.style.gridColumn = place[0];
      button.style.gridRow = place[1];
    } else {
      button.style.gridRow = extraRow + Math.floor(i / 4);
    }
    const here = board.cardAt.has(part.part_id);
    button.classList.toggle("card", here);
    button.setAttribute("aria-pressed", here ? "true" : "false");
    button.dataset.cardLabel = t("card");
    const id = document.createElement("span");
    id.className = "sid";
    id.textContent = "#" + part.part_id;
    const name = document.createElement("span");
    name.className = "sname";
    name.textContent = stationName(part);
    button.append(id, name);
    if (ui.lang === "en") {
      const original = document.createElement("span");
      original.className = "sname2";
      original.textContent = part.part_name;
      button.append(original);
    }
    button.disabled = ui.busyBoard !== null;
    button.onclick = () => sendTo(board, part);
    stations.appendChild(button);
  });
}

function renderAll() { for (const board of ui.boards) renderBoard(board); }

async function sendTo(board, part) {
  if (ui.busyBoard) return;
  ui.busyBoard = board;
  board.eventsSeen = 0;
  board.failed = false;
  board.status = t("moving") + stationName(part);
  renderAll();
  try {
    await call(Object.assign(selector(board), {
      funccode: "send_to_parts", conditions: Object.assign(selector(board).conditions || {}, { target_id: part.part_id }),
    }));
    board.status = "";
    // Some moves raise no event (a card put out): then the sensors tell.
    if (board.eventsSeen === 0) await readState(board);
  } catch (e) {
    fail(board, e);
  }
  ui.busyBoard = null;
  renderAll();
}

async function powerOff(board, button) {
  if (!button.classList.contains("armed")) {
    button.classList.add("armed");
    button.textContent = t("confirmPowerOff");
    setTimeout(() => { button.classList.remove("armed"); button.textContent = t("powerOff"); }, 4000);
    return;
  }
  button.classList.remove("armed");
  if (ui.busyBoard) return;
  ui.busyBoard = board;
  board.status = t("poweringOff");
  renderAll();
  try {
    await call(Object.assign(selector(board), { funccode: "poweroff_dev" }));
    board.status = t("poweredOff");
  } catch (e) {
    fail(board, e);
  }
  ui.busyBoard = null;
  renderAll();
}

function clock() {
  const now = new Date();
  return now.toTimeString().slice(0, 8) + "." + String(now.getMilliseconds()).padStart(3, "0");
}

function logLine(name, detail, failed) {
  const item = document.createElement("li");
  if (failed) item.className = "fail";
  const time = document.createElement("time");
  time.textContent = clock();
  const title = document.createElement("span");
  title.className = "ev-name";
  title.textContent = name;
  const text = document.createElement("span");
  text.textContent = detail;
  item.append(time, title, text);
  const log = $("event-log");
  log.prepend(item);
  while (log.children.length > LOG_LIMIT) log.lastChild.remove();
}

// A state event names a station but not its board: it belongs to the board
// being moved, or to the only board; otherwise every board's sensors are read.
function onStateEvent(data) {
  const board = ui.busyBoard || (ui.boards.length === 1 ? ui.boards[0] : null);
  const part = { part_id: data.part_id, part_name: data.part_name || "" };
  logLine(t("movedTo"), stationName(part) + (board ? "" : " " + t("unknownBoard")));
  if (!board) {
    for (const b of ui.boards) readState(b).then(() => renderBoard(b), (e) => fail(b, e));
    return;
  }
  board.eventsSeen = (board.eventsSeen || 0) + 1;
  board.cardAt = new Set([data.part_id]);
  renderBoard(board);
}

function onEvent(text) {
  let doc;
  try { doc = JSON.parse(text); } catch (e) { return; }
  const ev = doc && doc.data;
  if (!ev || typeof ev.event_id !== "number") return;
  if (ev.event_id === 4 && ev.event_data && typeof ev.event_data.part_id === "number") {
    onStateEvent(ev.event_data);
  } else if (ev.event_id === 1) {
    const info = ev.event_data || {};
    logLine(t("eventOpen"), (info.deviceType_c || "") + " " + (info.DevID || ""));
  } else {
    logLine(ev.event_name || String(ev.event_id), ev.event_msg || "");
  }
}

function setLive(state) {
  const live = $("live");
  live.dataset.state = state;
  live.textContent = t(state);
  live.classList.toggle("on", state === "connected");
  live.classList.toggle("off", state !== "connected");
}

function connectEvents(delay) {
  setLive("connecting");
  const socket = new WebSocket((location.protocol === "https:" ? "wss://" : "ws://") + location.host + "/ws");
  socket.onopen = () => { delay = 500; setLive("connected"); };
  socket.onmessage = (message) => { if (typeof message.data === "string") onEvent(message.data); };
  socket.onclose = () => {
    setLive("disconnected");
    const next = Math.min((delay || 500) * 2, 5000);
    setTimeout(() => connectEvents(next), delay || 500);
  };
}

async function loadVersion() {
  try {
    const reply = await fetch("/version", { cache: "no-store" });
    const doc = await reply.json();
    $("version").textContent = (doc.config && doc.config.version) || "?";
  } catch (e) {
    $("version").textContent = "?";
    showError(new CallError("HTTP", t("unreachable")));
  }
}

$("lang").onclick = () => setLanguage(ui.lang === "zh" ? "en" : "zh");
$("reload").onclick = () => { hideError(); findBoards(); };
$("object-name").onchange = () => { hideError(); findBoards(); };
$("error-close").onclick = hideError;
$("events-clear").onclick = () => { $("event-log").textContent = ""; };
setLanguage(ui.lang);
connectEvents(500);
loadVersion();
findBoards();
