#include "VideoSourceData.h"

#include <cstring>

namespace {

constexpr uint32_t kInitialJpegCapacity = 1024 * 1024;

}  // namespace

VideoSourceData::VideoSourceData(uint16_t jpegQuality) : mEncoder(jpegQuality, true) {
    mJpegBuffer = static_cast<uint8_t*>(std::malloc(kInitialJpegCapacity));
    mJpegCapacity = mJpegBuffer != nullptr ? kInitialJpegCapacity : 0;
}

void VideoSourceData::OnStartImage() {
    std::lock_guard<std::mutex> image(mImageLock);
    mSourceRunning = true;
}

void VideoSourceData::OnStopImage() {
    std::lock_guard<std::mutex> image(mImageLock);
    mSourceRunning = false;
}

void VideoSourceData::OnNewImage(const XImage& picture) {
    std::lock_guard<std::mutex> image(mImageLock);
    XError result = XError::Success;
    if (mCameraImage && picture.CopyData(mCameraImage.get()) == XError::Success) {
        result = XError::Success;
    } else {
        mCameraImage = picture.Clone();
        result = mCameraImage ? XError::Success : XError::OutOfMemory;
    }
    mLastError = result;
    if (result == XError::Success) mNewImage = true;
    mSourceError = false;
    mSourceErrorText.clear();
}

void VideoSourceData::OnError(const std::string& errorMessage, bool /*fatal*/) {
    std::lock_guard<std::mutex> image(mImageLock);
    mSourceErrorText = errorMessage;
    mSourceError = true;
}

void VideoSourceData::EncodeCameraImage() {
    std::lock_guard<std::mutex> image(mImageLock);
    if (!mNewImage || !mCameraImage) return;
    std::lock_guard<std::mutex> buffer(mBufferLock);
    if (mCameraImage->Format() == XPixelFormat::JPEG) {
        const uint32_t size = static_cast<uint32_t>(mCameraImage->Width());
        if (mJpegCapacity < size) {
            const uint32_t capacity = size + size / 10;
            auto* larger = static_cast<uint8_t*>(std::malloc(capacity));
            if (larger == nullptr) {
                mLastError = XError::OutOfMemory;
                mNewImage = false;
                return;
            }
            std::free(mJpegBuffer);
            mJpegBuffer = larger;
            mJpegCapacity = capacity;
        }
        std::memcpy(mJpegBuffer, mCameraImage->Data(), size);
        mJpegSize = size;
        mLastError = XError::Success;
    } else {
        uint8_t* const before = mJpegBuffer;
        uint32_t size = mJpegCapacity;
        mLastError = mEncoder.EncodeToMemory(mCameraImage.get(), &mJpegBuffer, &size);
        if (mJpegBuffer != before) mJpegCapacity = size;
        if (mLastError == XError::Success) mJpegSize = size;
    }
    mNewImage = false;
}

bool VideoSourceData::HasError() {
    std::lock_guard<std::mutex> image(mImageLock);
    return mLastError != XError::Success || mSourceError;
}

void VideoSourceData::ReplyError(IWebResponse& response) {
    std::string text;
    {
        std::lock_guard<std::mutex> image(mImageLock);
        text = mLastError != XError::Success ? mLastError.ToString() : mSourceErrorText;
    }
    response.SendError(500, "%s", text.c_str());
}

bool VideoSourceData::SourceRunning() {
    std::lock_guard<std::mutex> image(mImageLock);
    return mSourceRunning;
}

uint32_t VideoSourceData::JpegSize() {
    std::lock_guard<std::mutex> buffer(mBufferLock);
    return mJpegSize;
}

bool VideoSourceData::SendJpeg(IWebResponse& response, const char* headBeforeLength,
                               const char* headAfterLength) {
    std::lock_guard<std::mutex> buffer(mBufferLock);
    if (mJpegSize == 0) return false;
    response.Printf("%s%u%s", headBeforeLength, static_cast<unsigned>(mJpegSize), headAfterLength);
    response.Send(mJpegBuffer, mJpegSize);
    return true;
}

bool VideoSourceData::SendFrame(IWebResponse& response) {
    std::lock_guard<std::mutex> buffer(mBufferLock);
    if (mJpegSize == 0) return false;
    if (response.ToSendDataLength() < 2 * static_cast<size_t>(mJpegSize)) {
        response.Printf("--myboundary\r\nContent-Type: image/jpeg\r\nContent-Length: %u\r\n\r\n",
                        mJpegSize);
        response.Send(mJpegBuffer, mJpegSize);
    }
    return true;
}

uint16_t VideoSourceData::JpegQuality() {
    std::lock_guard<std::mutex> buffer(mBufferLock);
    return mEncoder.Quality();
}

void VideoSourceData::SetJpegQuality(uint16_t quality) {
    std::lock_guard<std::mutex> buffer(mBufferLock);
    mEncoder.SetQuality(quality);
}
