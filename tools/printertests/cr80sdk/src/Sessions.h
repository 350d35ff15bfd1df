#pragma once
// What the library keeps per printer: its canvas and output settings, the picture
// committed last, and what it knows about the card and the print counts.
#include <cardpaint.h>
#include <kqCR80Printer.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "KQCR80Printer.h"

namespace kqcr80 {

struct CanvasDeleter {
    void operator()(DrawContext* canvas) const { DrawClearCanvas(canvas); }
};
using CanvasPtr = std::unique_ptr<DrawContext, CanvasDeleter>;

// Canvas pixels, before the output rotation.
struct PixelRect {
    double x = 0, y = 0, w = 0, h = 0;
};

struct Session {
    CanvasPtr canvas;
    std::optional<PixelRect> erase;
    int rotation = 0;
    std::vector<uint8_t> committed;
    bool stateKnown = false;
    bool cardInside = false;
    unsigned remaining = 0;
    unsigned totalPrinted = 0;
};

// Serialises every exported call.
std::mutex& sdkMutex();
// The session of printer `sn`, created on first use.
Session& session(const std::string& sn);
void clearSessions();

// The driver's handle of printer `sn`.
int openPrinter(const std::string& sn, kqCR80_Pram** printer);
// Reads the card state and counters from the printer the first time.
int learnState(const std::string& sn, Session& s);

// Runs an exported call's body under the library lock; no exception leaves it.
template <class Body>
int guarded(Body body) noexcept {
    try {
        std::lock_guard<std::mutex> lock(sdkMutex());
        return body();
    } catch (...) {
        return KQCR80_DRAW_FAILED;
    }
}

}  // namespace kqcr80
