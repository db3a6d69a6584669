#include "staged_block_encoder.h"

#include <system_error>

namespace tovtex_tool {

StagedBlockEncoder::StagedBlockEncoder(D3DFORMAT format, const DxtEncodeOptions& options, unsigned threads,
                                       const std::vector<BlockLevelWork>& first, bool firstRowsPending)
    : format_(format), options_(options) {
    Add(first);
    open_ = firstRowsPending ? 0 : rows_.size();
    for (unsigned i = 1; i < threads; ++i) {
        try {
            workers_.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
            break;  // fewer threads, same bytes
        }
    }
}

StagedBlockEncoder::~StagedBlockEncoder() {
    Close(true);
}

void StagedBlockEncoder::Finish(const std::vector<BlockLevelWork>& second) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Add(second);
        open_ = rows_.size();
    }
    Close(false);
}

void StagedBlockEncoder::RowsReady(UINT pixelRows) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (rows_.empty()) {
            return;
        }
        // A block row needs its four pixel rows, the last one those there are.
        const UINT height = rows_.front().level.height;
        const std::size_t ready = pixelRows >= height ? (height + 3) / 4 : pixelRows / 4;
        if (ready <= open_ || open_ == rows_.size()) {
            return;
        }
        open_ = ready;
    }
    more_.notify_all();
}

void StagedBlockEncoder::Add(const std::vector<BlockLevelWork>& levels) {
    for (const BlockLevelWork& level : levels) {
        for (UINT row = 0; row * 4 < level.height; ++row) {
            rows_.push_back({level, row});
        }
    }
}

void StagedBlockEncoder::Work() {
    for (;;) {
        Row row;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            more_.wait(lock, [this] { return next_ < open_ || closed_; });
            if (next_ >= open_) {
                return;
            }
            row = rows_[next_++];
        }
        EncodeBlockRow(format_, row.level, row.row, options_);
    }
}

// Closes the queue, takes part in what is left (unless dropped) and waits
// for the workers.
void StagedBlockEncoder::Close(bool dropRest) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (closed_ && workers_.empty()) {
            return;
        }
        closed_ = true;
        if (dropRest) {
            next_ = rows_.size();
        }
    }
    more_.notify_all();
    if (!dropRest) {
        Work();
    }
    for (std::thread& worker : workers_) {
        worker.join();
    }
    workers_.clear();
}

}  // namespace tovtex_tool
