// What one print costs the host CPU, without any transport: the image packet, the
// CRC and framing of the 79,354-byte request into 1,260 packets, and the whole
// print operation against a printer that answers at once. The wire needs about
// 66 ms for the same data at USB full speed; the goal is at most 3 % of that.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "Crc16.h"
#include "ImagePacket.h"
#include "PrinterCommandSet.h"
#include "UsbPort.h"

namespace {
constexpr int kRequestBytes = ecp::kImagePacketBytes + 8;  // code and time stamp in front

std::vector<unsigned char> sampleImage() {
    std::vector<unsigned char> image(ecp::kImageBytes);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<unsigned char>(i * 31);
    return image;
}

// Swallows every packet; answers each complete request frame at once with a good reply.
class InstantPort : public UsbPort {
  protected:
    int bulkOut(unsigned char* packet, int, unsigned) override {
        if (remaining_ == 0) {
            remaining_ = 13 + (packet[3] | packet[4] << 8 | packet[5] << 16);
            code_ = packet[7];
        }
        remaining_ -= std::min(remaining_, 63);
        ++packets;
        return 0;
    }
    int interruptOut(unsigned char, unsigned char*, int, unsigned) override { return 0; }
    int bulkIn(unsigned char* packet, int len, int* received, unsigned) override {
        unsigned char frame[23] = {0x10, 0x02, 10, 0, 0, 0, code_};
        const unsigned seq = sequence();
        frame[16] = static_cast<unsigned char>(seq);
        frame[17] = static_cast<unsigned char>(seq >> 8);
        frame[18] = static_cast<unsigned char>(seq >> 16);
        frame[19] = 0x10;
        frame[20] = 0x03;
        const unsigned short crc = Cal_CRC16(frame, 21);
        frame[21] = static_cast<unsigned char>(crc);
        frame[22] = static_cast<unsigned char>(crc >> 8);
        std::memset(packet, 0, static_cast<size_t>(len));
        packet[0] = 0xD7;
        std::memcpy(packet + 1, frame, sizeof frame);
        *received = len;
        return 0;
    }

  public:
    long packets = 0;

  private:
    int remaining_ = 0;
    unsigned char code_ = 0;
};

void BM_Crc16OfImagePacket(benchmark::State& state) {
    std::vector<unsigned char> data(ecp::kImagePacketBytes, 0x5A);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Cal_CRC16(data.data(), static_cast<unsigned>(data.size())));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long>(data.size()));
}
BENCHMARK(BM_Crc16OfImagePacket)->Unit(benchmark::kMicrosecond);

void BM_PrepareImagePacket(benchmark::State& state) {
    const auto image = sampleImage();
    std::vector<unsigned char> packet(ecp::kImagePacketBytes);
    const bool reverse = state.range(0) != 0;
    for (auto _ : state) {
        ecp::prepareImagePacket(image.data(), reverse, packet.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PrepareImagePacket)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_FrameImageRequest(benchmark::State& state) {
    std::vector<unsigned char> request(kRequestBytes, 0xA5);
    InstantPort port;
    for (auto _ : state) benchmark::DoNotOptimize(port.WriteBuffer(request.data(), kRequestBytes));
    state.counters["packets"] = benchmark::Counter(static_cast<double>(port.packets) /
                                                   static_cast<double>(state.iterations()));
}
BENCHMARK(BM_FrameImageRequest)->Unit(benchmark::kMicrosecond);

// The whole print: packet preparation on its thread, the erase exchange, the image request.
void BM_WholePrint(benchmark::State& state) {
    auto image = sampleImage();
    kqCR80Printer driver;
    InstantPort port;
    kqCR80_Pram printer;
    printer.port = &port;
    for (auto _ : state) {
        if (driver.ImageTransmission(&printer, reinterpret_cast<char*>(image.data())) != 0) {
            state.SkipWithError("print failed");
            break;
        }
    }
}
BENCHMARK(BM_WholePrint)->Unit(benchmark::kMicrosecond);
}  // namespace

BENCHMARK_MAIN();
