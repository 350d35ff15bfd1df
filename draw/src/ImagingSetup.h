// Magick++ needs its core set up once per process before the first image.
#pragma once

namespace cardpaint {

void initImaging();

}  // namespace cardpaint
