// Keeps C++ exceptions from crossing the exported C functions.
#pragma once

#include <exception>
#include <iostream>
#include <new>

#include "cardpaint.h"

namespace cardpaint {

// Runs body and turns any exception into CARDPAINT_IMAGE_ERROR, with the imaging
// library's text on standard error so the cause is not lost.
template <typename Body>
int guarded(const char* function, Body&& body) noexcept {
    try {
        return body();
    } catch (const std::exception& e) {
        try {
            std::cerr << function << ": " << e.what() << std::endl;
        } catch (...) {
        }
    } catch (...) {
    }
    return CARDPAINT_IMAGE_ERROR;
}

}  // namespace cardpaint
