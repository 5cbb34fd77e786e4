// VideoWriter: a ring of frame slots filled by the render loop, emptied by the
// video thread, and the sound gathered for the sound thread. Slots keep their
// buffers, so no frame allocates.
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
    for (auto& slot : slots_) slot.resize(framePixels_);
    head_ = count_ = 0;
    closing_ = cancelled_ = failed_ = false;
    error_.clear();
    sound_.clear();
    times_ = {};
    withSound_ = settings.withSound;
    thread_ = std::thread(&VideoWriter::encodeLoop, this);
    if (withSound_) soundThread_ = std::thread(&VideoWriter::soundLoop, this);
    return true;
}

void VideoWriter::addSound(const int16_t* samples, size_t frames) {
    if (!withSound_) return;
    std::lock_guard lock(mutex_);
    sound_.insert(sound_.end(), samples, samples + 2 * frames);
    changed_.notify_all();
}

bool VideoWriter::addFrame(const uint32_t* pixels) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return count_ < kQueuedFrames || failed_; });
    if (failed_) return false;
    std::vector<uint32_t>& slot = slots_[(head_ + count_) % kQueuedFrames];
    lock.unlock();
    // The encoder thread does not touch a slot until it is counted.
    std::copy(pixels, pixels + framePixels_, slot.begin());
    lock.lock();
    ++count_;
    changed_.notify_all();
    return true;
}

void VideoWriter::fail(const std::string& error) {
    std::lock_guard lock(mutex_);
    if (!failed_) error_ = error;
    failed_ = true;
    changed_.notify_all();
}

void VideoWriter::encodeLoop() {
    for (;;) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return count_ > 0 || closing_ || cancelled_ || failed_; });
        if (cancelled_ || failed_ || count_ == 0) return;  // closing with nothing left
        std::vector<uint32_t>& slot = slots_[head_];
        lock.unlock();

        std::string error;
        const bool ok = encoder_.encodeFrame(slot.data(), error);

        lock.lock();
        head_ = (head_ + 1) % kQueuedFrames;
        --count_;
        changed_.notify_all();
        lock.unlock();
        if (!ok) {
            fail(error);
            return;
        }
    }
}

void VideoWriter::soundLoop() {
    std::vector<int16_t> taken;
    for (;;) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !sound_.empty() || closing_ || cancelled_ || failed_; });
        if (cancelled_ || failed_ || (closing_ && sound_.empty())) return;
        taken.swap(sound_);
        sound_.clear();
        lock.unlock();

        std::string error;
        if (!encoder_.encodeSound(taken.data(), taken.size() / 2, error)) {
            fail(error);
            return;
        }
    }
}

void VideoWriter::stopThreads(bool cancel) {
    {
        std::lock_guard lock(mutex_);
        if (cancel) cancelled_ = true;
        closing_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
    if (soundThread_.joinable()) soundThread_.join();
}

bool VideoWriter::finish(std::string& error) {
    stopThreads(false);
    bool ok = !failed_;
    error = error_;
    if (ok) ok = encoder_.finish(error);
    times_ = encoder_.times();
    encoder_.close();
    return ok;
}

void VideoWriter::abandon() {
    stopThreads(true);
    encoder_.close();
}

}  // namespace velmora
