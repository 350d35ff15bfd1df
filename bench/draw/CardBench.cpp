// The sample card: a 1016 x 648 monochrome canvas with four text lines (Chinese and
// Latin), a QR code and a JPEG photograph, committed as a 1-bit BMP. cardpaint's
// ordered-dither output is timed against the straightforward conversion with the
// imaging library's bilevel type, in the same run, with one imaging thread.
#include <Magick++.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "DrawContext.h"
#include "cardpaint.h"

namespace {

const std::string kOut = CARDPAINT_BENCH_OUT;

// A photograph-like picture (smooth shading in every tone, some detail) as a JPEG.
const std::vector<unsigned char>& photograph() {
    static const std::vector<unsigned char> jpeg = [] {
        using MagickCore::Quantum;
        const size_t width = 300;
        const size_t height = 400;
        Magick::Image picture(Magick::Geometry(width, height), Magick::Color("white"));
        picture.modifyImage();
        Magick::PixelPacket* pixels = picture.getPixels(0, 0, width, height);
        for (size_t y = 0; y < height; ++y) {
            for (size_t x = 0; x < width; ++x) {
                const double r = std::hypot(x - 150.0, y - 160.0);
                const double face = std::exp(-r * r / (2 * 90.0 * 90.0));
                const double v = 0.02 + 0.9 * face + 0.08 * std::sin(x / 7.0) * std::cos(y / 11.0);
                const double level = std::fmin(1.0, std::fmax(0.0, v));
                Magick::PixelPacket& p = pixels[y * width + x];
                p.red = static_cast<Quantum>(level * QuantumRange);
                p.green = static_cast<Quantum>(level * 0.9 * QuantumRange);
                p.blue = static_cast<Quantum>(level * 0.7 * QuantumRange);
            }
        }
        picture.syncPixels();
        picture.quality(90);
        Magick::Blob blob;
        picture.write(&blob, "JPEG");
        const auto* data = static_cast<const unsigned char*>(blob.data());
        return std::vector<unsigned char>(data, data + blob.length());
    }();
    return jpeg;
}

DrawContext* drawCard() {
    DrawContext* canvas = nullptr;
    DrawPrepareCanvas(&canvas, 0, 1, 1016, 648);
    DrawDrawSetFont(canvas, CARDPAINT_BENCH_FONT, 30);
    DrawDrawText(canvas, "\xe5\xa7\x93\xe5\x90\x8d Name: \xe5\xbc\xa0\xe4\xb8\x89", 60, 120);
    DrawDrawText(canvas, "\xe8\xaf\x81\xe4\xb9\xa6\xe7\xbc\x96\xe5\x8f\xb7 No. 2026-0042", 60, 200);
    DrawDrawText(canvas, "\xe6\x9c\x89\xe6\x95\x88\xe6\x9c\x9f 2026.12.11 - 2031.12.10", 60, 280);
    DrawDrawText(canvas, "\xe5\x8f\x91\xe8\xaf\x81\xe6\x9c\xba\xe5\x85\xb3 Issuing Office", 60,
                 360);
    DrawDrawQRCode(canvas, "https://example.org/card/2026-0042", 60, 420, 200, 200);
    const std::vector<unsigned char>& jpeg = photograph();
    DrawDrawImageBlob(canvas, jpeg.data(), static_cast<int>(jpeg.size()), 700, 80, 270, 360);
    return canvas;
}

std::vector<unsigned char> commitCardpaint(DrawContext* canvas) {
    int length = 0;
    DrawCommitCanvas(canvas, nullptr, &length);
    std::vector<unsigned char> bmp(static_cast<size_t>(length));
    DrawCommitCanvas(canvas, bmp.data(), &length);
    return bmp;
}

// The straightforward conversion: the imaging library's bilevel type on the whole card.
std::vector<unsigned char> commitBilevelType(DrawContext* canvas) {
    Magick::Image picture = *canvas->image;
    picture.colorSpace(Magick::GRAYColorspace);
    picture.type(Magick::BilevelType);
    picture.depth(1);
    picture.monochrome(true);
    picture.quality(1);
    Magick::Blob blob;
    picture.write(&blob, "BMP");
    const auto* data = static_cast<const unsigned char*>(blob.data());
    return std::vector<unsigned char>(data, data + blob.length());
}

using Commit = std::vector<unsigned char> (*)(DrawContext*);

void save(const std::string& name, const std::vector<unsigned char>& bytes) {
    std::ofstream(kOut + "/" + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

void WholeCard(benchmark::State& state, Commit commit, const char* file) {
    std::vector<unsigned char> bmp;
    for (auto _ : state) {
        DrawContext* canvas = drawCard();
        bmp = commit(canvas);
        DrawClearCanvas(canvas);
        benchmark::DoNotOptimize(bmp.data());
    }
    state.counters["bytes"] = static_cast<double>(bmp.size());
    save(file, bmp);
}

void CommitOnly(benchmark::State& state, Commit commit) {
    DrawContext* canvas = drawCard();
    for (auto _ : state) {
        std::vector<unsigned char> bmp = commit(canvas);
        benchmark::DoNotOptimize(bmp.data());
    }
    DrawClearCanvas(canvas);
}

void DrawOnly(benchmark::State& state) {
    for (auto _ : state) {
        DrawContext* canvas = drawCard();
        DrawClearCanvas(canvas);
    }
}

void configure(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true)->MinTime(0.5);
}

}  // namespace

BENCHMARK_CAPTURE(WholeCard, cardpaint, commitCardpaint, "card_cardpaint.bmp")->Apply(configure);
BENCHMARK_CAPTURE(WholeCard, bilevel_type, commitBilevelType, "card_bilevel_type.bmp")
    ->Apply(configure);
BENCHMARK_CAPTURE(CommitOnly, cardpaint, commitCardpaint)->Apply(configure);
BENCHMARK_CAPTURE(CommitOnly, bilevel_type, commitBilevelType)->Apply(configure);
BENCHMARK(DrawOnly)->Apply(configure);

int main(int argc, char** argv) {
    Magick::InitializeMagick(nullptr);
    Magick::ResourceLimits::thread(1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
