// libopenmpt behind ModuleStream: loading, looping playback, row tracking.
#include "platform/ModuleStream.h"

#include <libopenmpt/libopenmpt.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/RegularFile.h"

namespace velmora {

ModuleStream::~ModuleStream() {
    if (module_) openmpt_module_destroy(module_);
}

std::string whyMusicDidNotLoad(const char* path) {
    struct stat info {};
    if (::stat(path, &info) != 0) return std::string("cannot be opened: ") + std::strerror(errno);
    if (!S_ISREG(info.st_mode)) return "is not a regular file";
    if (info.st_size > (off_t{256} << 20)) return "is larger than any module (256 MiB)";
    if (std::FILE* f = openRegularStream(path)) std::fclose(f);
    else return std::string("cannot be opened: ") + std::strerror(errno);
    return "is not a module the player knows (MOD, XM, S3M, IT, MO3 and the other tracker formats), or plays nothing";
}

std::string moduleRefusal(const char* path) {
    ModuleStream stream;
    if (stream.load(path) != ModuleStream::kLoaded) return "Can't load music: " + whyMusicDidNotLoad(path);
    if (!stream.playable()) return std::string("Can't play music: ") + kModulePlaysNothing;
    return {};
}

ModuleStream::LoadResult ModuleStream::load(const char* path) {
    // A FIFO or a device is refused here, not waited on.
    std::FILE* f = openRegularStream(path);
    if (!f) return kUnreadable;
    std::vector<char> bytes;
    char chunk[65536];
    size_t n;
    // No module comes near this; a device or a huge file is refused, not read for ever.
    constexpr size_t kLargestModule = size_t{256} << 20;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0 && bytes.size() <= kLargestModule)
        bytes.insert(bytes.end(), chunk, chunk + n);
    const bool failed = std::ferror(f) != 0 || bytes.size() > kLargestModule;
    std::fclose(f);
    if (failed) return kUnreadable;
    return loadMemory(bytes.data(), bytes.size());
}

ModuleStream::LoadResult ModuleStream::loadMemory(const void* data, size_t size) {
    if (module_) openmpt_module_destroy(module_);
    module_ = nullptr;
    framesRendered_ = 0;
    dueFrom_ = dueTo_ = -1;
    lastOrder_ = lastRow_ = -1;
    ended_ = false;
    if (size == 0) return kNotAModule;
    int error = 0;
    const char* message = nullptr;
    module_ = openmpt_module_create_from_memory2(data, size, openmpt_log_func_silent, nullptr,
                                                 openmpt_error_func_ignore, nullptr, &error, &message, nullptr);
    if (message) openmpt_free_string(message);
    if (!module_) return kNotAModule;
    openmpt_module_set_repeat_count(module_, -1);  // loop for ever
    // No dither: the same module gives the same samples on every run.
    openmpt_module_ctl_set_integer(module_, "dither", 0);
    return kLoaded;
}

bool ModuleStream::playable() const {
    return module_ && openmpt_module_get_num_orders(module_) > 0 && openmpt_module_get_duration_seconds(module_) > 0.0;
}

double ModuleStream::durationSeconds() const { return module_ ? openmpt_module_get_duration_seconds(module_) : 0.0; }

size_t ModuleStream::sliceLength(size_t frames) const {
    size_t n = frames < kSliceFrames ? frames : kSliceFrames;
    if (framesRendered_ < dueFrom_) {
        if (dueFrom_ - framesRendered_ < static_cast<int64_t>(n)) n = static_cast<size_t>(dueFrom_ - framesRendered_);
    } else if (framesRendered_ <= dueTo_) {
        n = 1;
    }
    return n;
}

bool ModuleStream::renderSlice(int16_t* out, size_t frames, RowStart& start) {
    size_t got = 0;
    if (module_ && !ended_) {
        got = openmpt_module_read_interleaved_stereo(module_, kMusicRate, frames, out);
        if (got < frames) ended_ = true;
    }
    if (got < frames) std::memset(out + 2 * got, 0, (frames - got) * 2 * sizeof(int16_t));

    bool newRow = false;
    if (got > 0) {
        const int32_t order = openmpt_module_get_current_order(module_);
        const int32_t row = openmpt_module_get_current_row(module_);
        if ((order != lastOrder_ || row != lastRow_) && loopOrder_ >= 0 && order != loopOrder_ &&
            orderHasPattern(loopOrder_)) {
            // The looped order is over: its row 0 is next, from the next frame on.
            framesRendered_ += static_cast<int64_t>(frames);
            lastLoopReturnSeconds_ = seekOrderRow(loopOrder_, 0, start);
            lastLoopReturnFrame_ = start.frame;
            ++loopReturns_;
            return true;
        }
        if (order != lastOrder_ || row != lastRow_) {
            // The row began in [first, last]; the very first row at frame 0.
            const int64_t first = framesRendered_;
            const int64_t last = first == 0 ? 0 : first + static_cast<int64_t>(got) - 1;
            start.frame = (first + last + 1) / 2;
            start.order = order;
            start.row = row;
            const int64_t length = rowFrames();
            start.expectedFrames = static_cast<double>(length);
            dueFrom_ = length > 0 ? first + length : -1;
            dueTo_ = length > 0 ? last + length : -1;
            lastOrder_ = order;
            lastRow_ = row;
            newRow = true;
        }
    }
    if (levelSink_ && got > 0) noteChannelLevels(framesRendered_);
    framesRendered_ += static_cast<int64_t>(frames);
    return newRow;
}

int64_t ModuleStream::rowFrames() const {
    const int32_t tempo = openmpt_module_get_current_tempo(module_);
    const int32_t speed = openmpt_module_get_current_speed(module_);
    // Classic tempo: a tick is 2.5 / tempo seconds, in whole frames.
    return tempo > 0 && speed > 0 ? speed * ((kMusicRate * 5) / (2 * tempo)) : 0;
}

bool ModuleStream::orderHasPattern(int32_t order) const {
    const int32_t pattern = openmpt_module_get_order_pattern(module_, order);
    return pattern >= 0 && pattern < openmpt_module_get_num_patterns(module_);
}

int32_t ModuleStream::neighbourOrder(int32_t current, int direction) const {
    if (!module_) return 0;
    const int32_t count = openmpt_module_get_num_orders(module_);
    if (count <= 0) return 0;
    current = current < 0 ? 0 : current >= count ? count - 1 : current;
    if (direction == 0) return current;
    const int32_t step = direction < 0 ? -1 : 1;
    for (int32_t order = current + step; order >= 0 && order < count; order += step)
        if (orderHasPattern(order)) return order;
    return current;
}

void ModuleStream::neighbourRow(int32_t& order, int32_t& row, int direction) const {
    if (!module_ || direction == 0) return;
    if (direction > 0 && row + 1 < rowsInOrder(order)) {
        ++row;
    } else if (direction < 0 && row > 0) {
        --row;
    } else {
        const int32_t next = neighbourOrder(order, direction);
        if (next == order) return;
        order = next;
        row = direction > 0 ? 0 : rowsInOrder(next) - 1;
        if (row < 0) row = 0;
    }
}

std::vector<int64_t> readOrderStartRows(const char* path) {
    ModuleStream stream;
    if (stream.load(path) != ModuleStream::kLoaded) return {};
    return stream.orderStartRows();
}

std::vector<int64_t> ModuleStream::orderStartRows() const {
    std::vector<int64_t> starts;
    if (!module_) return starts;
    const int32_t count = openmpt_module_get_num_orders(module_);
    starts.reserve(static_cast<size_t>(std::max(count, 0)) + 1);
    int64_t total = 0;
    starts.push_back(total);
    for (int32_t order = 0; order < count; ++order) {
        total += std::max(rowsInOrder(order), 0);
        starts.push_back(total);
    }
    return starts;
}

int32_t ModuleStream::rowsInOrder(int32_t order) const {
    if (!orderHasPattern(order)) return 0;
    return openmpt_module_get_pattern_num_rows(module_, openmpt_module_get_order_pattern(module_, order));
}

double ModuleStream::seekOrderRow(int32_t order, int32_t row, RowStart& start) {
    if (!module_) return -1.0;
    const int32_t rows = rowsInOrder(order);
    if (row >= rows) row = rows > 0 ? rows - 1 : 0;
    if (row < 0) row = 0;
    const double seconds = openmpt_module_set_position_order_row(module_, order, row);
    ended_ = false;
    // The row starts exactly at the next frame; the stream will see it as the
    // row it already knows and look for the next one a row's length on.
    const int64_t length = rowFrames();
    start.frame = framesRendered_;
    start.order = order;
    start.row = row;
    start.expectedFrames = static_cast<double>(length);
    lastOrder_ = order;
    lastRow_ = row;
    dueFrom_ = dueTo_ = length > 0 ? framesRendered_ + length : -1;
    return seconds;
}

namespace {
std::string metadata(openmpt_module* module, const char* key) {
    const char* value = openmpt_module_get_metadata(module, key);
    std::string text = value ? value : "";
    if (value) openmpt_free_string(value);
    return text;
}
}  // namespace

ModuleInfo ModuleStream::describe() {
    ModuleInfo info;
    if (!module_) return info;
    info.title = metadata(module_, "title");
    info.format = metadata(module_, "type");
    info.formatName = metadata(module_, "type_long");
    info.seconds = openmpt_module_get_duration_seconds(module_);
    info.channels = openmpt_module_get_num_channels(module_);
    const int32_t count = openmpt_module_get_num_orders(module_);
    for (int32_t order = 0; order < count; ++order) {
        ModuleOrder entry;
        if (orderHasPattern(order)) {
            entry.pattern = openmpt_module_get_order_pattern(module_, order);
            entry.rows = openmpt_module_get_pattern_num_rows(module_, entry.pattern);
            // libopenmpt knows, from its walk through the song, when each row is first played.
            entry.start = openmpt_module_set_position_order_row(module_, order, 0);
        } else {
            entry.pattern = -1;
        }
        info.orders.push_back(entry);
    }
    openmpt_module_set_position_order_row(module_, 0, 0);
    return info;
}

int ModuleStream::channelCount() const { return module_ ? openmpt_module_get_num_channels(module_) : 0; }

void ModuleStream::readChannelLevels(std::span<float> levels) const {
    const int channels = channelCount();
    for (size_t c = 0; c < levels.size(); ++c) {
        float level = 0.0f;
        if (static_cast<int64_t>(c) < channels) {
            const int32_t channel = static_cast<int32_t>(c);
            level = std::max(openmpt_module_get_current_channel_vu_left(module_, channel),
                             openmpt_module_get_current_channel_vu_right(module_, channel));
        }
        levels[c] = std::clamp(level, 0.0f, 1.0f);
    }
}

void ModuleStream::recordChannelLevels(ChannelLevelTimeline* levels) {
    levelSink_ = levels;
    if (!levels) return;
    levels->setChannels(channelCount());
    levelReading_.assign(static_cast<size_t>(channelCount()), 0.0f);
}

void ModuleStream::noteChannelLevels(int64_t sliceStart) {
    readChannelLevels(levelReading_);
    levelSink_->add(sliceStart, levelReading_);
}

}  // namespace velmora
