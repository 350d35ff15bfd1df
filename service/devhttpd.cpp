// The HTTP device service: publishes every SDK method under
// /api/call_method/<name>, with version and camera routes, until a
// termination signal arrives.
#include <unistd.h>

#include <boost/asio/ip/address.hpp>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>

#include "AddUser.h"
#include "CallMetrics.h"
#include "EventBroadcaster.h"
#include "MethodRequestHandler.h"
#include "MetricsRequestHandler.h"
#include "RequestMetrics.h"
#include "ServiceSettings.h"
#include "SettingsReader.h"
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

// What the settings ask for besides serving; the exit status, or -1 to serve.
int RunRequest(const SettingsRequest& request) {
    switch (request.action) {
        case SettingsRequest::Action::Help: {
            ServiceSettings defaults;
            SetDefaultSettings(defaults, lib_dev::url_port);
            std::fputs(SettingsHelp(defaults).c_str(), stdout);
            return 0;
        }
        case SettingsRequest::Action::Version:
            std::printf("devhttpd %s\n", SERVICE_VERSION);
            return 0;
        case SettingsRequest::Action::AddUser:
            return RunAddUser(request.newUser, Settings.authDomain, Settings.htRealmFile);
        case SettingsRequest::Action::Error:
            std::fprintf(stderr, "devhttpd: %s\n", request.error.c_str());
            return 2;
        case SettingsRequest::Action::Serve:
            break;
    }
    // Without its accounts a level above 0 would lock every caller out.
    if (!Settings.htRealmFile.empty() && !std::ifstream(Settings.htRealmFile)) {
        std::fprintf(stderr, "devhttpd: users file \"%s\" cannot be read\n",
                     Settings.htRealmFile.c_str());
        return 2;
    }
    if (Settings.apiLevel != UserGroup::Anyone && Settings.htRealmFile.empty()) {
        std::fprintf(stderr, "devhttpd: api_level above 0 needs a users_file\n");
        return 2;
    }
    return -1;
}

// Bind address, limits and the Host and Origin checks from the settings.
void ApplyNetworkSettings(XWebServer& server) {
    server.SetLimits(Settings.limits);
    server.SetBindAddress(Settings.httpBind);
    RequestPolicy policy;
    boost::system::error_code ec;
    policy.loopbackHostsOnly = !Settings.httpBind.empty() &&
                               boost::asio::ip::make_address(Settings.httpBind, ec).is_loopback();
    policy.allowedOrigins = Settings.allowedOrigins;
    server.SetPolicy(policy);
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::time_t startTime = std::time(nullptr);
    SetDefaultSettings(Settings, lib_dev::url_port);
    const int status = RunRequest(ReadSettings(Settings, argc, argv));
    if (status >= 0) return status;
    initialization();

    if (pipe(SignalPipe) != 0) return 0;
    lib_dev* device = nullptr;
    if (lib_init_sdk(&device) != 0) return 0;

    InstallSignalHandlers();

    auto versionInfo = std::make_shared<XObjectInformationMap>(
        PropertyMap{{"product", "lumorax"}, {"version", SERVICE_VERSION}, {"platform", "Linux"}});
    auto cameraInfo = std::make_shared<XObjectInformationMap>(
        PropertyMap{{"device", DEVICE_NAME},
                    {"title", Settings.cameraTitle},
                    {"width", std::to_string(Settings.frameWidth)},
                    {"height", std::to_string(Settings.frameHeight)}});

    auto server = std::make_unique<XWebServer>("", static_cast<uint16_t>(Settings.httpPort));
    auto video = std::make_unique<XVideoSourceToWeb>(85);
    auto requestMetrics = std::make_unique<RequestMetrics>();
    auto callMetrics = std::make_unique<CallMetrics>(lib_dev::vector_funcs());
    ApplyNetworkSettings(*server);
    server->SetRequestMetrics(requestMetrics.get());

    if (!Settings.authDomain.empty()) {
        server->SetAuthDomain(Settings.authDomain);
        if (!Settings.htRealmFile.empty()) server->LoadUsersFromFile(Settings.htRealmFile);
    }

    for (const std::string& name : lib_dev::vector_funcs()) {
        const std::string uri = "/api/call_method/" + name;
        std::printf("Webapi:http://localhost:%d%s\n", Settings.httpPort, uri.c_str());
        server->AddHandler(std::make_shared<MethodRequestHandler>(uri, device, callMetrics.get()),
                           Settings.apiLevel);
    }
    std::fflush(stdout);
    // Method calls over the WebSocket demand what the method routes demand.
    server->AddHandler(std::make_shared<MethodWSRequestHandler>("/ws", device, callMetrics.get()),
                       Settings.apiLevel);
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
    server->AddHandler(std::make_shared<MetricsRequestHandler>("/metrics", *requestMetrics,
                                                               *callMetrics, startTime),
                       UserGroup::Anyone);

    if (!Settings.documentRoot.empty()) server->SetDocumentRoot(Settings.documentRoot);

    server->Start();
    WaitForSignal();
    ExitEvent.Wait();

    server->Stop();
    lib_release_sdk(device);
    events.reset();
    video.reset();
    server.reset();
    callMetrics.reset();
    requestMetrics.reset();
    cameraInfo.reset();
    versionInfo.reset();
    return 0;
}
