// Linked into unit tests that drive the printer link: their traces would land in
// the system trace folder whenever it exists, among the files an integration test
// reads there. A folder that never exists writes none.
#include <unistd.h>

#include <string>

#include "Device.h"

namespace {

const bool kTracesOff = [] {
    Device::setTraceDirectory("/nonexistent/kq-unit-test-" + std::to_string(getpid()) + "/");
    return true;
}();

}  // namespace
