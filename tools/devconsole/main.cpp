// devconsole: the bench console of one card-transport mechanism.
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "Console.h"
#include "TerminalMode.h"
#include "core/Process.h"
#include "core/ServiceLog.h"
#include "devsdk.h"

int main() {
    initialization();
    writeLog("test_device main", "DEBUG", "", "");
    lib_dev* sdk = nullptr;
    const int rc = lib_init_sdk(&sdk);
    if (rc != 0) {
        std::printf("initSDK fail:%d", rc);
        return 0;
    }
    devconsole::TerminalMode terminal(STDIN_FILENO);
    devconsole::SdkChannel channel(sdk);
    devconsole::FdKeySource keys(STDIN_FILENO);
    devconsole::SystemTiming timing;
    devconsole::ServiceLogSink log;
    devconsole::Console console(channel, keys, std::cout, timing, log);
    // The SDK object stays: the console ends by returning from its loop.
    return console.run();
}
