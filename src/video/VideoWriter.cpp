// VideoWriter: a ring of slots filled by the render loop, emptied by the
// encoder thread. Slots keep their buffers, so no frame allocates.
#include "video/VideoWriter.h"

#include <algorithm>

namespace velmora {

VideoWriter::~VideoWriter() { abandon(); }

bool VideoWriter::open(const VideoSettings& settings, std::string& error) {
    abandon();
    if (!encoder_.open(settings, error)) {
        encoder_.close();
        return false;
    }
    framePixels_ = static_cast<size_t>(settings.sourceWidth) * settings.sourceHeight;
    for (Slot& slot : slots_) slot.pixels.resize(framePixels_);
    head_ = count_ = 0;
    closing_ = cancelled_ = failed_ = false;
    error_.clear();
    pendingSound_.clear();
    thread_ = std::thread(&VideoWriter::encodeLoop, this);
    return true;
}

void VideoWriter::addSound(const int16_t* samples, size_t frames) {
    pendingSound_.insert(pendingSound_.end(), samples, samples + 2 * frames);
}

bool VideoWriter::addFrame(const uint32_t* pixels) { return enqueue(pixels); }

bool VideoWriter::enqueue(const uint32_t* pixels) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return count_ < kQueuedFrames || failed_; });
    if (failed_) return false;
    Slot& slot = slots_[(head_ + count_) % kQueuedFrames];
    lock.unlock();
    // The encoder thread does not touch a slot until it is counted.
    slot.hasFrame = pixels != nullptr;
    if (pixels) std::copy(pixels, pixels + framePixels_, slot.pixels.begin());
    slot.sound.swap(pendingSound_);
    pendingSound_.clear();
    lock.lock();
    ++count_;
    changed_.notify_all();
    return true;
}

void VideoWriter::encodeLoop() {
    for (;;) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return count_ > 0 || closing_ || cancelled_; });
        if (cancelled_ || count_ == 0) return;  // closing with nothing left
        Slot& slot = slots_[head_];
        lock.unlock();

        std::string error;
        bool ok = encoder_.encodeSound(slot.sound.data(), slot.sound.size() / 2, error);
        if (ok && slot.hasFrame) ok = encoder_.encodeFrame(slot.pixels.data(), error);

        lock.lock();
        head_ = (head_ + 1) % kQueuedFrames;
        --count_;
        if (!ok) {
            failed_ = true;
            error_ = error;
        }
        changed_.notify_all();
        if (!ok) return;
    }
}

void VideoWriter::stopThread(bool cancel) {
    if (!thread_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        if (cancel) cancelled_ = true;
        closing_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

bool VideoWriter::finish(std::string& error) {
    // The sound after the last frame goes in a slot of its own.
    if (!pendingSound_.empty()) enqueue(nullptr);
    stopThread(false);
    bool ok = !failed_;
    error = error_;
    if (ok) ok = encoder_.finish(error);
    encoder_.close();
    return ok;
}

void VideoWriter::abandon() {
    stopThread(true);
    encoder_.close();
}

}  // namespace velmora
