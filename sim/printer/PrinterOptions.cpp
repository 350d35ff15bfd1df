#include "printer/PrinterOptions.h"

#include <sys/stat.h>

#include <vector>

#include "printer/UsbPrinter.h"

namespace ksim::printer {

const char kPrinterHelp[] =
    "add a rewritable card printer on USB 0483:5760. SETTINGS: IDENTITY[,fw=TEXT][,params=HEX]"
    "[,busy=N][,card]; IDENTITY up to 12 characters, fw up to 10, params the 31-byte "
    "parameter block (byte 30: fast mode), busy the acknowledges before each reply, card a "
    "blank card inside from the start. Printers are "
    "numbered from 0 in the order given. Control actions: printer_fault {\"printer\":0,"
    "\"kind\":K,\"count\":1,\"cmd\":\"0x57\",\"ms\":N,\"status\":1} with K one of nak, "
    "bad_crc, bad_seq, wrong_cmd, late, status, no_reply, unplug; printer_clear_faults; "
    "printer_busy {\"acks\":N}; printer_unplug {\"ms\":N}; printer_plug; printer_card "
    "{\"inside\":true}; printer_state. Reply status: 00 done, 01 could not (no card ...), "
    "02 malformed request, 03 unknown command or IAP sub-command. Strict (the default), "
    "every request is checked: the 7 time stamp bytes are BCD (century 20, month 1-12, day "
    "1-31, hour, minute, second), the data have the command's length and are followed by "
    "10 zero bytes (not 59); data bytes per command: 51 29, 53 0, 54 33, 55 10, 56 10, 57 0, 59 "
    "79346, 5A 0, 5B 0, 5C 0, "
    "5D 16, 5E 4, 80 0, 81 0, A0 8, A2 2, A4 10, 60 (IAP) 11, its download EA at least 3; a frame "
    "with a bad "
    "trailer, CRC or length field is answered NAK.";
const char kCardsHelp[] =
    "save every printed card in DIR as a PBM picture (672 x 944) named by time and "
    "printer identity";

namespace {

// One simulator per process: the printers in the order given, owned by the USB bus.
std::vector<UsbPrinter*>& printers() {
    static std::vector<UsbPrinter*> list;
    return list;
}

UsbPrinter* printerOf(const Json::Value& req, std::string& error) {
    const Json::Value& p = req["printer"];
    Json::UInt64 index = 0;
    if (!p.isNull()) {
        if (!p.isUInt64()) {
            error = "\"printer\" must be a printer number";
            return nullptr;
        }
        index = p.asUInt64();
    }
    if (index >= printers().size()) {
        error = "no printer " + std::to_string(index);
        return nullptr;
    }
    return printers()[index];
}

void registerActions(app::SimContext& ctx) {
    ctx.actions.add("printer_fault",
                    "{\"action\":\"printer_fault\",\"printer\":0,\"kind\":\"nak\",\"count\":1,"
                    "\"cmd\":\"0x57\"}: arm a printer fault",
                    [](const Json::Value& req, Json::Value&, std::string& error) {
                        UsbPrinter* p = printerOf(req, error);
                        if (!p) return false;
                        auto fault = parsePrinterFault(req, &error);
                        if (!fault) return false;
                        p->addFault(*fault);
                        return true;
                    });
    ctx.actions.add("printer_clear_faults", "{\"action\":\"printer_clear_faults\",\"printer\":0}",
                    [](const Json::Value& req, Json::Value&, std::string& error) {
                        UsbPrinter* p = printerOf(req, error);
                        if (!p) return false;
                        p->clearFaults();
                        return true;
                    });
    ctx.actions.add("printer_busy", "{\"action\":\"printer_busy\",\"printer\":0,\"acks\":2}",
                    [](const Json::Value& req, Json::Value&, std::string& error) {
                        UsbPrinter* p = printerOf(req, error);
                        if (!p) return false;
                        if (!req["acks"].isUInt() || req["acks"].asUInt() > 1000) {
                            error = "\"acks\" must be a number from 0 to 1000";
                            return false;
                        }
                        p->setBusy(static_cast<int>(req["acks"].asUInt()));
                        return true;
                    });
    ctx.actions.add("printer_unplug", "{\"action\":\"printer_unplug\",\"printer\":0,\"ms\":500}",
                    [](const Json::Value& req, Json::Value&, std::string& error) {
                        UsbPrinter* p = printerOf(req, error);
                        if (!p) return false;
                        p->unplug(req["ms"].isNumeric() ? req["ms"].asDouble() : -1);
                        return true;
                    });
    ctx.actions.add("printer_plug", "{\"action\":\"printer_plug\",\"printer\":0}",
                    [](const Json::Value& req, Json::Value&, std::string& error) {
                        UsbPrinter* p = printerOf(req, error);
                        if (!p) return false;
                        p->plug();
                        return true;
                    });
    ctx.actions.add("printer_card",
                    "{\"action\":\"printer_card\",\"printer\":0,\"inside\":true}: an operator "
                    "puts a blank card into the printer or takes it out",
                    [](const Json::Value& req, Json::Value&, std::string& error) {
                        UsbPrinter* p = printerOf(req, error);
                        if (!p) return false;
                        if (!req["inside"].isBool()) {
                            error = "\"inside\" must be true or false";
                            return false;
                        }
                        p->setCardInside(req["inside"].asBool());
                        return true;
                    });
    ctx.actions.add("printer_state", "{\"action\":\"printer_state\",\"printer\":0}",
                    [](const Json::Value& req, Json::Value& reply, std::string& error) {
                        UsbPrinter* p = printerOf(req, error);
                        if (!p) return false;
                        reply["printer"] = p->describe();
                        return true;
                    });
}

}  // namespace

bool setCardsDir(const std::string& dir, app::SimContext& ctx, std::string* error) {
    struct stat st {};
    if (dir.empty() || ::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *error = "not a folder";
        return false;
    }
    ctx.settings["cards"] = dir;
    return true;
}

bool addUsbPrinter(const std::string& text, app::SimContext& ctx, std::string* error) {
    auto config = parsePrinterConfig(text, error);
    if (!config) return false;
    if (printers().empty()) registerActions(ctx);
    const auto cards = ctx.settings.find("cards");
    auto personality = std::make_unique<UsbPrinter>(
        static_cast<int>(printers().size()), *config,
        cards == ctx.settings.end() ? std::string() : cards->second, ctx.loop, ctx.journal);
    UsbPrinter* raw = personality.get();
    raw->setStrict(ctx.strict);
    if (!ctx.usb.add(std::move(personality), error)) return false;
    printers().push_back(raw);
    ctx.describers.push_back([raw] { return raw->describe(); });
    return true;
}

}  // namespace ksim::printer
