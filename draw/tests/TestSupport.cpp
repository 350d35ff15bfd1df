#include "TestSupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace cardpaint_test {
namespace {

// One imaging thread keeps runs steady on a shared machine.
class ImagingEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        Magick::InitializeMagick(nullptr);
        Magick::ResourceLimits::thread(1);
    }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ImagingEnvironment);

}  // namespace

ScratchDir::ScratchDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/cardpaint-test-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) {
        ADD_FAILURE() << "cannot make a scratch folder";
    }
    path_ = buffer.data();
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

Canvas::Canvas(int colorOutput, int monochrome, double width, double height)
    : result_(DrawPrepareCanvas(&canvas_, colorOutput, monochrome, width, height)) {}

Canvas::~Canvas() {
    if (canvas_ != nullptr) {
        DrawClearCanvas(canvas_);
    }
}

std::vector<unsigned char> commit(DrawContext* canvas) {
    int length = 0;
    if (DrawCommitCanvas(canvas, nullptr, &length) != CARDPAINT_NO_ROOM) {
        ADD_FAILURE() << "sizing call did not report the needed length";
        return {};
    }
    std::vector<unsigned char> bytes(static_cast<size_t>(length));
    const int result = DrawCommitCanvas(canvas, bytes.data(), &length);
    EXPECT_EQ(result, CARDPAINT_OK);
    EXPECT_EQ(static_cast<size_t>(length), bytes.size());
    return bytes;
}

Magick::Image decode(const std::vector<unsigned char>& bytes) {
    Magick::Image picture;
    picture.read(Magick::Blob(bytes.data(), bytes.size()));
    return picture;
}

std::vector<unsigned char> readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

uint16_t le16(const std::vector<unsigned char>& bytes, size_t at) {
    return static_cast<uint16_t>(bytes.at(at) | bytes.at(at + 1) << 8);
}

uint32_t le32(const std::vector<unsigned char>& bytes, size_t at) {
    return le16(bytes, at) | static_cast<uint32_t>(le16(bytes, at + 2)) << 16;
}

int32_t bmpWidth(const std::vector<unsigned char>& bmp) {
    return static_cast<int32_t>(le32(bmp, 18));
}

int32_t bmpHeight(const std::vector<unsigned char>& bmp) {
    return static_cast<int32_t>(le32(bmp, 22));
}

int bmpBitsPerPixel(const std::vector<unsigned char>& bmp) {
    return le16(bmp, 28);
}

Magick::ColorRGB colorAt(const Magick::Image& picture, size_t x, size_t y) {
    // Pixel access rather than pixelColor, which misreads palette pictures.
    const Magick::PixelPacket* p = picture.getConstPixels(x, y, 1, 1);
    return Magick::Color(p->red, p->green, p->blue);
}

bool dark(const Magick::Image& picture, size_t x, size_t y) {
    const Magick::ColorRGB c = colorAt(picture, x, y);
    return 0.299 * c.red() + 0.587 * c.green() + 0.114 * c.blue() < 0.5;
}

Box darkBox(const Magick::Image& picture) {
    using MagickCore::Quantum;
    const double half = 0.5 * QuantumRange;
    Box box{static_cast<long>(picture.columns()), static_cast<long>(picture.rows()), -1, -1};
    const size_t width = picture.columns();
    const size_t height = picture.rows();
    Magick::Image grey = picture;
    grey.type(Magick::GrayscaleType);
    const Magick::PixelPacket* pixels = grey.getConstPixels(0, 0, width, height);
    for (size_t y = 0; y < height; ++y) {
        for (size_t x = 0; x < width; ++x) {
            if (pixels[y * width + x].red < half) {
                box.left = std::min(box.left, static_cast<long>(x));
                box.top = std::min(box.top, static_cast<long>(y));
                box.right = std::max(box.right, static_cast<long>(x));
                box.bottom = std::max(box.bottom, static_cast<long>(y));
            }
        }
    }
    return box;
}

std::string writeSolid(const ScratchDir& dir, const std::string& name, size_t width, size_t height,
                       const std::string& color) {
    Magick::Image picture(Magick::Geometry(width, height), Magick::Color(color));
    const std::string path = dir.file(name);
    picture.write(path);
    return path;
}

bool fontAvailable() {
    return access(CARDPAINT_TEST_FONT, R_OK) == 0;
}

}  // namespace cardpaint_test
