// The simulated board's request parsing: whole frames, USB reports and the serial
// byte stream. A frame the board accepts must be exactly what the host encoder makes
// of its fields, so nothing malformed is ever taken for a request.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "board/Frame.h"
#include "board/SerialFrameReader.h"
#include "board/UsbReports.h"

using namespace ksim;
using namespace ksim::board;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Bytes input(data, data + size);

    auto decoded = decodeRequest(input);
    if (decoded.request && encodeRequest(*decoded.request) != input) abort();

    UsbRequestAssembler usb;
    for (size_t pos = 0; pos + kReportSize <= size; pos += kReportSize) {
        auto r = usb.feed(Bytes(data + pos, data + pos + kReportSize));
        if (r.kind == UsbRequestAssembler::Result::Kind::Frame) {
            auto d = decodeRequest(r.frame);
            if (d.request && encodeRequest(*d.request) != r.frame) abort();
        }
    }

    // Fed in two pieces, the serial reader must give the same items as fed at once.
    size_t cut = size ? data[0] % (size + 1) : 0;
    SerialFrameReader whole, split;
    auto all = whole.feed(data, size);
    auto first = split.feed(data, cut);
    auto second = split.feed(data + cut, size - cut);
    Bytes wholeFrames, splitFrames;
    for (const auto& item : all) {
        if (item.kind == SerialFrameReader::Item::Kind::Frame) {
            wholeFrames.insert(wholeFrames.end(), item.bytes.begin(), item.bytes.end());
        }
    }
    for (const auto* part : {&first, &second}) {
        for (const auto& item : *part) {
            if (item.kind == SerialFrameReader::Item::Kind::Frame) {
                splitFrames.insert(splitFrames.end(), item.bytes.begin(), item.bytes.end());
            }
        }
    }
    if (wholeFrames != splitFrames) abort();
    return 0;
}
