// Keeps C++ exceptions from crossing the exported C functions.
#ifndef CARDPAINT_BOUNDARY_H
#define CARDPAINT_BOUNDARY_H

#include <Magick++.h>

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

// Magick++ needs its core set up once per process before the first image.
void initImaging();

}  // namespace cardpaint

#endif
