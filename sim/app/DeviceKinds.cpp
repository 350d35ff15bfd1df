// The table of kiosk-sim's options. A new kind of simulated device is one more entry.
#include <cstdlib>

#include "app/Options.h"
#include "board/UsbBoard.h"
#include "board/mechanism/Mechanisms.h"
#ifdef KSIM_WITH_PRINTER
#include "printer/PrinterOptions.h"
#endif

namespace ksim::app {

namespace {

std::unique_ptr<board::Board> newBoard(const std::string& settings, SimContext& ctx,
                                       std::string* error) {
    std::string boardSettings;
    int card = board::mechanism::kNoCard;
    if (!board::mechanism::takeSettings(settings, boardSettings, card, error)) return nullptr;
    auto config = board::parseBoardSettings(boardSettings, error);
    if (!config) return nullptr;
    auto b = std::make_unique<board::Board>(static_cast<int>(ctx.boards.size()), *config, ctx.speed,
                                            ctx.journal);
    b->setStrict(ctx.strict);
    if (!board::mechanism::installMechanism(*b, card, ctx.speed, ctx.journal, error)) {
        return nullptr;
    }
    return b;
}

bool addUsbBoard(const std::string& settings, SimContext& ctx, std::string* error) {
    auto b = newBoard(settings, ctx, error);
    if (!b) return false;
    board::Board* raw = b.get();
    auto personality = std::make_unique<board::UsbBoard>(std::move(b), ctx.loop, ctx.journal);
    board::UsbBoard* ub = personality.get();
    usb::UsbDevice* dev = ctx.usb.add(std::move(personality), error);
    if (!dev) return false;
    BoardSlot slot;
    slot.board = raw;
    slot.transport = "usb";
    slot.where = [dev] { return dev->address(); };
    slot.unplug = [ub](double ms) { ub->unplug(ms); };
    slot.plug = [ub] { ub->plug(); };
    slot.plugged = [dev] { return dev->plugged(); };
    ctx.boards.push_back(slot);
    return true;
}

bool addSerialBoard(const std::string& value, SimContext& ctx, std::string* error) {
    auto colon = value.find(':');
    std::string name = value.substr(0, colon);
    if (colon == std::string::npos || name.empty()) {
        *error = "expected NAME:SETTINGS, e.g. COM3:09";
        return false;
    }
    std::string path = name[0] == '/' ? name : "/dev/" + name;
    std::string boardSettings;
    serial::LineSetting line;
    if (!serial::takeLineSettings(value.substr(colon + 1), boardSettings, line, error)) {
        return false;
    }
    auto b = newBoard(boardSettings, ctx, error);
    if (!b) return false;
    auto sb = serial::SerialBoard::create(path, std::move(b), line, ctx.loop, ctx.journal, error);
    if (!sb) return false;
    serial::SerialBoard* raw = sb.get();
    BoardSlot slot;
    slot.board = &raw->board();
    slot.transport = "serial";
    slot.where = [raw] { return raw->path(); };
    slot.unplug = [raw](double ms) { raw->unplug(ms); };
    slot.plug = [raw] { raw->plug(); };
    slot.plugged = [raw] { return raw->plugged(); };
    ctx.boards.push_back(slot);
    ctx.serialBoards.push_back(std::move(sb));
    return true;
}

// "[BOARD:]REST": the board index before the first ':' when it comes before any '='.
bool splitBoard(const std::string& value, SimContext& ctx, std::vector<board::Board*>& boards,
                std::string& rest, std::string* error, bool needBoard) {
    auto colon = value.find(':');
    auto eq = value.find('=');
    bool hasBoard = colon != std::string::npos && (eq == std::string::npos || colon < eq);
    if (!hasBoard) {
        if (needBoard) {
            *error = "expected BOARD:...";
            return false;
        }
        for (auto& s : ctx.boards) boards.push_back(s.board);
        rest = value;
        return true;
    }
    auto index = parseNumber(value.substr(0, colon), 1000);
    if (!index || *index >= ctx.boards.size()) {
        *error = "no board " + value.substr(0, colon) +
                 " (boards are numbered from 0 in the order given)";
        return false;
    }
    boards.push_back(ctx.boards[*index].board);
    rest = value.substr(colon + 1);
    return true;
}

bool setReply(const std::string& value, SimContext& ctx, std::string* error) {
    std::vector<board::Board*> boards;
    std::string rest;
    if (!splitBoard(value, ctx, boards, rest, error, false)) return false;
    auto canned = board::parseCannedReply(rest, error);
    if (!canned) return false;
    for (auto* b : boards) b->setCanned(canned->first, canned->second);
    return true;
}

bool addFault(const std::string& value, SimContext& ctx, std::string* error) {
    auto colon = value.find(':');
    auto index = parseNumber(value.substr(0, colon), 1000);
    if (colon == std::string::npos || !index || *index >= ctx.boards.size()) {
        *error = "expected BOARD:KIND[,key=value...] with an existing board number";
        return false;
    }
    auto fault = board::parseFaultText(value.substr(colon + 1), error);
    if (!fault) return false;
    ctx.boards[*index].board->addFault(*fault);
    return true;
}

bool setSpeed(const std::string& value, SimContext& ctx, std::string* error) {
    char* end = nullptr;
    double v = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0' || v < 0 || v > 1000) {
        *error = "speed must be a number from 0 to 1000";
        return false;
    }
    ctx.speed = v;
    return true;
}

bool setStrict(bool strict, SimContext& ctx) {
    ctx.strict = strict;
    ctx.usb.setStrict(strict);
    return true;
}

bool setLog(const std::string& value, SimContext& ctx, std::string* error) {
    return ctx.journal.openLog(value, error);
}

bool setControl(const std::string& value, SimContext& ctx, std::string*) {
    ctx.controlPath = value;
    return true;
}

}  // namespace

const std::vector<OptionKind>& optionKinds() {
    static const std::vector<OptionKind> kinds = {
        {"board", "SETTINGS",
         "add a mechanism board on USB. SETTINGS: TYPE[,pid=0x5740|0x5741|0x5704][,addr=N]"
         "[,fw=YYYYMMDD][,name=TEXT][,devid=14HEX][,enc][,card=N]; TYPE is the device-type code "
         "in hex (00 01 02 09 19 88 ...); card=N lays a card at station N. Boards appear on "
         "the bus in the order given.",
         Phase::Device, addUsbBoard},
        {"serial", "NAME:SETTINGS",
         "add a board on a serial line; the driver opens /dev/NAME (a link to a "
         "pseudo-terminal, removed on exit; NAME may also be an absolute path). SETTINGS as "
         "for --board, plus the board's line setting [,baud=N][,frame=8PS] (default "
         "baud=115200,frame=8N1; N one of 1200 2400 4800 9600 19200 38400 57600 115200 "
         "230400; parity P N, E or O; stop bits S 1 or 2). While the host's termios differ "
         "in speed, parity (PARENB or INPCK, PARODD) or stop bits (CSTOPB), each byte crossing "
         "the line arrives as a garbage byte (never AA) and about one in eight is lost to a "
         "framing error, both ways; the journal says why. The character size cannot be "
         "compared: a pseudo-terminal always reports 8 bits.",
         Phase::Device, addSerialBoard},
#ifdef KSIM_WITH_PRINTER
        {"printer", "SETTINGS", printer::kPrinterHelp, Phase::Device, printer::addUsbPrinter},
        {"cards", "DIR", printer::kCardsHelp, Phase::Setting, printer::setCardsDir},
#endif
        {"reply", "[BOARD:]CODE=STATE[:HEX][@MS]",
         "canned answer of a command: code and state in hex, data in hex, mechanical time in "
         "ms (scaled by --speed); without BOARD for every board. Repeatable.",
         Phase::Tweak, setReply},
        {"fault", "BOARD:KIND[,key=value...]",
         "arm a fault on a board from the start (kinds and keys below). Repeatable.", Phase::Tweak,
         addFault},
        {"speed", "X",
         "scale every mechanical delay: 1 realistic (default), 0 instant, 0.1 ten times faster",
         Phase::Setting, setSpeed},
        {"strict", "",
         "devices refuse what the hardware refuses (the default): unknown commands and wrong "
         "data lengths (board answers below), transfer types usbfs does not allow on an "
         "endpoint (refused with EINVAL as the kernel does, ENOENT for an endpoint the device "
         "does not have; a bulk transfer on an interrupt endpoint is taken as an interrupt "
         "transfer), malformed printer requests, and "
         "serial hosts whose line settings differ from the board's",
         Phase::Setting,
         [](const std::string&, SimContext& ctx, std::string*) { return setStrict(true, ctx); }},
        {"lenient", "",
         "answer all of that as kiosk-sim did before: unknown commands as done, any length, "
         "any transfer type, any printer request, any line setting (the journal says so at "
         "start)",
         Phase::Setting,
         [](const std::string&, SimContext& ctx, std::string*) { return setStrict(false, ctx); }},
        {"log", "FILE", "write every frame and physical change to FILE ('-': standard error)",
         Phase::Setting, setLog},
        {"control", "PATH",
         "listen on Unix socket PATH for operator actions (JSON lines, below) and send events",
         Phase::Setting, setControl},
    };
    return kinds;
}

}  // namespace ksim::app
