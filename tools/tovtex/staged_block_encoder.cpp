#include "staged_block_encoder.h"

#include <algorithm>
#include <system_error>

namespace tovtex_tool {

StagedBlockEncoder::StagedBlockEncoder(D3DFORMAT format, const BlockEncoding& encoding,
                                       const std::vector<BlockLevelWork>& first, bool firstRowsPending)
    : format_(format), encoding_(encoding) {
    Add(first);
    firstRows_ = rows_.size();
    firstFinished_.assign(firstRows_, 0);
    open_ = firstRowsPending ? 0 : rows_.size();
    for (unsigned i = 1; i < encoding.threads; ++i) {
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

HRESULT StagedBlockEncoder::Finish(const std::vector<BlockLevelWork>& second) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Add(second);
        open_ = rows_.size();
    }
    Close(false);
    std::lock_guard<std::mutex> lock(mutex_);
    return failure_;
}

void StagedBlockEncoder::RowsReady(UINT pixelRows) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // A band needs its block rows' four pixel rows each, the last one
        // those there are.
        const std::size_t opened = open_;
        while (open_ < firstRows_) {
            const Row& row = rows_[open_];
            if (std::min(row.level.height, (row.band.first + row.band.count) * 4) > pixelRows) {
                break;
            }
            ++open_;
        }
        if (open_ == opened) {
            return;
        }
    }
    more_.notify_all();
}

void StagedBlockEncoder::Add(const std::vector<BlockLevelWork>& levels) {
    for (const BlockLevelWork& level : levels) {
        for (const BlockBand& band : BlockBandsOf(level.height, encoding_)) {
            rows_.push_back({level, band});
        }
    }
}

void StagedBlockEncoder::FinishFirstRows(UINT pixelRows) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (firstDone_ < firstRows_ && rows_[firstDone_].band.first * 4 < pixelRows) {
        if (next_ < open_) {
            const std::size_t index = next_++;
            const Row row = rows_[index];
            lock.unlock();
            Done(index, EncodeBlockBand(format_, row.level, row.band, encoding_));
            lock.lock();
        } else {
            firstProgress_.wait(lock);
        }
    }
}

void StagedBlockEncoder::Work() {
    for (;;) {
        Row row;
        std::size_t index = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            more_.wait(lock, [this] { return next_ < open_ || closed_; });
            if (next_ >= open_) {
                return;
            }
            index = next_++;
            row = rows_[index];
        }
        Done(index, EncodeBlockBand(format_, row.level, row.band, encoding_));
    }
}

void StagedBlockEncoder::Done(std::size_t index, HRESULT result) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (FAILED(result) && SUCCEEDED(failure_)) {
            failure_ = result;
        }
        if (index >= firstRows_) {
            return;
        }
        firstFinished_[index] = 1;
        const std::size_t before = firstDone_;
        while (firstDone_ < firstRows_ && firstFinished_[firstDone_] != 0) {
            ++firstDone_;
        }
        if (firstDone_ == before) {
            return;
        }
    }
    firstProgress_.notify_all();
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
