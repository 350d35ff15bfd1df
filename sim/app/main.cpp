// kiosk-sim: runs a command under simulated kiosk devices.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "app/ChildProcess.h"
#include "app/ControlServer.h"
#include "app/MechanismActions.h"
#include "app/Options.h"
#include "app/Preload.h"
#include "board/mechanism/Mechanisms.h"

using namespace ksim;

namespace {

constexpr int kUsageError = 2;
constexpr int kSetupError = 125;
constexpr int kCannotRun = 127;

int fail(int code, const std::string& text) {
    fprintf(stderr, "kiosk-sim: %s\n", text.c_str());
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return fail(kUsageError, "no devices and no command (see kiosk-sim --help)");
    }
    app::ParsedArgs args;
    std::string error;
    if (!app::parseArgs(argc, argv, args, &error)) {
        return fail(kUsageError, error + " (see kiosk-sim --help)");
    }
    if (args.version) {
        printf("kiosk-sim 1.0\n");
        return 0;
    }
    if (!args.help && !app::ensurePreloaded(argv, &error)) return fail(kSetupError, error);

    app::blockSignals();
    Journal journal;
    EventLoop loop;
    usb::UsbBus bus(loop, journal);
    app::ControlActions actions;
    app::SimContext ctx(loop, journal, bus, actions);
    app::registerBoardActions(ctx);
    app::registerSimActions(ctx);
    app::registerMechanismActions(ctx);
    if (args.help) {
        fputs(app::usageText(actions).c_str(), stdout);
        return 0;
    }

    if (!bus.init(&error)) return fail(kSetupError, error);
    if (!app::applyOptions(args, ctx, &error)) return fail(kUsageError, error);
    if (!ctx.strict) {
        journal.note("sim", "notice",
                     "lenient: unknown commands, wrong data lengths, transfer types, malformed "
                     "printer requests and line settings are answered, not refused as the "
                     "hardware refuses them");
    }

    std::unique_ptr<app::ControlServer> control;
    if (!ctx.controlPath.empty()) {
        control = app::ControlServer::listen(ctx.controlPath, loop, actions, &error);
        if (!control) return fail(kSetupError, "--control " + error);
        app::ControlServer* server = control.get();
        journal.setListener([server](const std::string& line) { server->broadcast(line); });
        setenv("KIOSK_SIM_CONTROL", control->path().c_str(), 1);
    }
    setenv("UMOCKDEV_DIR", bus.rootDir().c_str(), 1);
    app::clearPreloadGuard();
    app::allowPreloadUnderAsan();
    loop.start();

    Json::Value ready;
    ready["devices"] = app::describeDevices(ctx);
    ready["speed"] = ctx.speed;
    ready["strict"] = ctx.strict;
    journal.event("", "ready", ready);

    pid_t child = -1;
    if (!args.command.empty()) {
        child = app::spawnChild(args.command, &error);
        if (child < 0) {
            loop.stop();
            return fail(kCannotRun, error);
        }
    } else {
        fprintf(stderr,
                "kiosk-sim: devices up; run programs with\n  LD_PRELOAD=%s UMOCKDEV_DIR=%s\n"
                "kiosk-sim: stop with Ctrl-C\n",
                getenv("LD_PRELOAD"), bus.rootDir().c_str());
    }
    int status = app::waitForChild(child);
    Json::Value exit;
    exit["status"] = status;
    journal.event("", "child_exit", exit);
    app::endOrphans(1000);

    loop.stop();
    journal.setListener(nullptr);
    control.reset();
    ctx.serialBoards.clear();
    return status;
}
