// The HTTP device service: publishes every SDK method under
// /api/call_method/<name>, with version and camera routes, until a
// termination signal arrives.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

#include "EventBroadcaster.h"
#include "MethodRequestHandler.h"
#include "ServiceSettings.h"
#include "XManualResetEvent.h"
#include "XObjectInformationMap.h"
#include "XObjectInformationRequestHandler.h"
#include "XVideoSourceToWeb.h"
#include "XWebServer.h"
#include "core/LibDev.h"
#include "core/Process.h"
#include "devsdk.h"

namespace {

XManualResetEvent ExitEvent;
ServiceSettings Settings;
// A signal handler may not take the event's mutex, so it only writes a byte
// here; the main thread turns that into the event.
int SignalPipe[2] = {-1, -1};

void sigIntHandler(int) {
    const char byte = 1;
    const int saved = errno;
    // A failed write leaves an earlier byte in the pipe: the wake-up is there.
    [[maybe_unused]] const ssize_t written = write(SignalPipe[1], &byte, 1);
    errno = saved;
}

void WaitForSignal() {
    char byte = 0;
    while (read(SignalPipe[0], &byte, 1) < 0 && errno == EINTR) {
    }
    ExitEvent.Signal();
}

void InstallSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = sigIntHandler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    for (int signal : {SIGINT, SIGQUIT, SIGTERM, SIGABRT}) sigaction(signal, &action, nullptr);
}

}  // namespace

int main(int argc, char* argv[]) {
    initialization();
    SetDefaultSettings(Settings, lib_dev::url_port);
    ParseCommandLine(Settings, argc, argv);

    if (pipe(SignalPipe) != 0) return 0;
    lib_dev* device = nullptr;
    if (lib_init_sdk(&device) != 0) return 0;

    InstallSignalHandlers();

    auto versionInfo = std::make_shared<XObjectInformationMap>(
        PropertyMap{{"product", "lumorax"}, {"version", "1.1.0"}, {"platform", "Linux"}});
    auto cameraInfo = std::make_shared<XObjectInformationMap>(
        PropertyMap{{"device", DEVICE_NAME},
                    {"title", Settings.cameraTitle},
                    {"width", std::to_string(Settings.frameWidth)},
                    {"height", std::to_string(Settings.frameHeight)}});

    auto server = std::make_unique<XWebServer>("", static_cast<uint16_t>(Settings.httpPort));
    auto video = std::make_unique<XVideoSourceToWeb>(85);

    if (!Settings.authDomain.empty()) {
        server->SetAuthDomain(Settings.authDomain);
        if (!Settings.htRealmFile.empty()) server->LoadUsersFromFile(Settings.htRealmFile);
    }

    for (const std::string& name : lib_dev::vector_funcs()) {
        const std::string uri = "/api/call_method/" + name;
        std::printf("Webapi:http://localhost:%d%s\n", Settings.httpPort, uri.c_str());
        server->AddHandler(std::make_shared<MethodRequestHandler>(uri, device), UserGroup::Anyone);
    }
    std::fflush(stdout);
    server->AddHandler(std::make_shared<MethodWSRequestHandler>("/ws", device), UserGroup::Anyone);
    auto events = std::make_unique<EventBroadcaster>(*server);
    events->Install();

    server->AddHandler(video->CreateJpegHandler("/camera/jpeg"), Settings.viewersGroup);
    server->AddHandler(video->CreateMjpegHandler("/camera/mjpeg", Settings.frameRate),
                       Settings.viewersGroup);
    server->AddHandler(std::make_shared<XObjectInformationRequestHandler>("/version", versionInfo),
                       UserGroup::Anyone);
    server->AddHandler(
        std::make_shared<XObjectInformationRequestHandler>("/camera/info", cameraInfo),
        Settings.viewersGroup);

    if (!Settings.documentRoot.empty()) server->SetDocumentRoot(Settings.documentRoot);

    server->Start();
    WaitForSignal();
    ExitEvent.Wait();

    server->Stop();
    lib_release_sdk(device);
    events.reset();
    video.reset();
    server.reset();
    cameraInfo.reset();
    versionInfo.reset();
    return 0;
}
