// A video file written while the show renders: frames and sound are handed
// over on the calling thread and encoded on threads of their own, so the next
// frame is evaluated while the last one is scaled, converted and encoded, and
// the sound never waits in front of a frame. A small bounded queue of frame
// copies sits between the render and the video encoder.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "video/VideoEncoder.h"

namespace velmora {

class VideoWriter {
public:
    // Frames that may wait for the encoder: enough to ride out a slow frame
    // on either side, few enough to stay small (512 KB each).
    static constexpr int kQueuedFrames = 4;

    VideoWriter() = default;
    ~VideoWriter();  // an unfinished file is closed as it stands
    VideoWriter(const VideoWriter&) = delete;
    VideoWriter& operator=(const VideoWriter&) = delete;

    // Opens the encoder (see VideoEncoder::open) and starts its threads.
    bool open(const VideoSettings& settings, std::string& error);
    // Adds sound that follows the sound added before (dropped for a file without sound).
    void addSound(const int16_t* samples, size_t frames);
    // Queues a copy of the next frame, waiting while the queue is full. False
    // once encoding has failed (finish tells why).
    bool addFrame(const uint32_t* pixels);
    // Encodes everything queued and completes the file. False with a message.
    bool finish(std::string& error);
    // Stops the encoder at once and closes the file unfinished.
    void abandon();
    // The time each step took, once finished.
    VideoTimes times() const { return times_; }

private:
    void encodeLoop();
    void soundLoop();
    void fail(const std::string& error);
    void stopThreads(bool cancel);

    VideoEncoder encoder_;
    size_t framePixels_ = 0;
    bool withSound_ = false;
    VideoTimes times_;

    std::thread thread_;
    std::thread soundThread_;
    std::vector<int16_t> sound_;  // added, not yet taken by the sound thread
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<uint32_t> slots_[kQueuedFrames];
    int head_ = 0;   // the slot being encoded or next to be
    int count_ = 0;  // filled slots from head_ on
    bool closing_ = false;
    bool cancelled_ = false;
    bool failed_ = false;
    std::string error_;
};

}  // namespace velmora
