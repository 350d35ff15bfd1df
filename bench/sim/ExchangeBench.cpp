// Round trips through the simulated kiosk (not a test). Run it under kiosk-sim:
//   bin/kiosk-sim --board 09 --serial /tmp/ksim-bench:09 -- bin/sim_exchange_bench
// USB exchanges go through the system libusb, the serial one through the pty.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <libusb-1.0/libusb.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes request(unsigned cmd, const Bytes& data) {
    Bytes body = {0x01, 0x00, static_cast<unsigned char>(cmd),
                  static_cast<unsigned char>(cmd >> 8)};
    body.insert(body.end(), data.begin(), data.end());
    size_t len = data.size() + 5;
    Bytes f = {0xAA, 0xBB, static_cast<unsigned char>(len), static_cast<unsigned char>(len >> 8)};
    unsigned char check = 0;
    for (unsigned char b : body) {
        f.push_back(b);
        if (b == 0xAA) f.push_back(0);
        check ^= b;
    }
    f.push_back(check);
    return f;
}

struct Board {
    libusb_context* ctx = nullptr;
    libusb_device_handle* handle = nullptr;
    Board() {
        libusb_init(&ctx);
        handle = libusb_open_device_with_vid_pid(ctx, 0x0483, 0x5740);
        if (handle && libusb_claim_interface(handle, 0) != 0) {
            libusb_close(handle);
            handle = nullptr;
        }
    }
    ~Board() {
        if (handle) {
            libusb_release_interface(handle, 0);
            libusb_close(handle);
        }
        libusb_exit(ctx);
    }
    // One frame out in reports, one reply block back; false on any failure.
    bool exchange(const Bytes& frame) {
        Bytes block;
        if (frame.size() <= 253) {
            block.push_back(static_cast<unsigned char>(frame.size() + 1));
        } else {
            size_t n = frame.size() + 3;
            block = {0, static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8)};
        }
        block.insert(block.end(), frame.begin(), frame.end());
        for (size_t pos = 0; pos < block.size(); pos += 62) {
            size_t n = std::min<size_t>(62, block.size() - pos);
            unsigned char r[64] = {
                0x01, static_cast<unsigned char>(pos + 62 < block.size() ? 62 : n + 1)};
            memcpy(r + 2, block.data() + pos, n);
            int done = 0;
            if (libusb_interrupt_transfer(handle, 0x01, r, 64, &done, 500) != 0) return false;
        }
        size_t got = 0, want = 0;
        do {
            unsigned char r[64];
            int done = 0;
            if (libusb_interrupt_transfer(handle, 0x81, r, 64, &done, 500) != 0) return false;
            if (got == 0) want = r[2] ? r[2] : static_cast<size_t>(r[3] | r[4] << 8);
            got += r[1];
        } while (got < want);
        return true;
    }
};

void BM_UsbExchange(benchmark::State& state) {
    Board board;
    if (!board.handle) {
        state.SkipWithError("no simulated board: run under kiosk-sim --board 09");
        return;
    }
    Bytes frame = request(0x1002, Bytes(static_cast<size_t>(state.range(0)), 0x5A));
    for (auto _ : state) {
        if (!board.exchange(frame)) {
            state.SkipWithError("exchange failed");
            break;
        }
    }
}
BENCHMARK(BM_UsbExchange)->Arg(1)->Arg(291)->Unit(benchmark::kMicrosecond);

void BM_SerialExchange(benchmark::State& state) {
    // KSIM_BENCH_SERIAL names another line, so that two runs do not share one.
    const char* line = std::getenv("KSIM_BENCH_SERIAL");
    int fd = open(line != nullptr ? line : "/tmp/ksim-bench", O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        state.SkipWithError("no serial board: run with --serial /tmp/ksim-bench:09");
        return;
    }
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    Bytes frame = request(0x1002, {0x00});
    for (auto _ : state) {
        if (write(fd, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) break;
        size_t got = 0;
        unsigned char buf[64];
        while (got < 13) {  // AA BB 09 00, package, command, state, three sensor bytes, check
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 500) <= 0) {
                state.SkipWithError("no reply");
                close(fd);
                return;
            }
            ssize_t n = read(fd, buf, sizeof buf);
            if (n > 0) got += static_cast<size_t>(n);
        }
    }
    close(fd);
}
BENCHMARK(BM_SerialExchange)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
