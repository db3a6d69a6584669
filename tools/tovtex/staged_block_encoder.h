#pragma once
// Block rows compressed on worker threads in two stages: the levels of the
// first stage are handed over at the start, those of the second once the
// caller has made them (the lower levels of a chain, built meanwhile on the
// calling thread). The bytes are the same whatever the number of threads.

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

#include <d3d8.h>
#include <windows.h>

#include "block_level_encoder.h"

namespace tovtex_tool {

class StagedBlockEncoder {
public:
    // encoding.threads counts the calling thread, which encodes only in
    // Finish; the others start on first at once. The memory of every level handed over
    // must stay as it is until Finish returns or the encoder is destroyed.
    // firstRowsPending: first is one level whose pixel rows are still being
    // made; its block rows are taken only as RowsReady says their pixels
    // are finished.
    StagedBlockEncoder(D3DFORMAT format, const BlockEncoding& encoding, const std::vector<BlockLevelWork>& first,
                       bool firstRowsPending = false);
    // Without Finish: the rows not yet begun are left as they are.
    ~StagedBlockEncoder();

    StagedBlockEncoder(const StagedBlockEncoder&) = delete;
    StagedBlockEncoder& operator=(const StagedBlockEncoder&) = delete;

    // Adds the second stage and encodes on this thread as well until every
    // row of both stages is done. The first failure of a band, if any.
    HRESULT Finish(const std::vector<BlockLevelWork>& second);

    // The first stage's pixel rows 0 to pixelRows - 1 are finished and stay
    // as they are (firstRowsPending only; Finish implies every row).
    void RowsReady(UINT pixelRows);

    // Encodes on this thread as well until the first stage's block rows
    // over pixel rows 0 to pixelRows - 1 are done, so that their pixels
    // may be written over. Those rows must have been made ready.
    void FinishFirstRows(UINT pixelRows);

private:
    struct Row {
        BlockLevelWork level;
        BlockBand band;
    };

    void Add(const std::vector<BlockLevelWork>& levels);
    void Work();
    void Done(std::size_t index, HRESULT result);
    void Close(bool dropRest);

    const D3DFORMAT format_;
    const BlockEncoding encoding_;
    std::mutex mutex_;
    std::condition_variable more_;
    std::vector<Row> rows_;
    std::size_t next_ = 0;
    std::size_t open_ = 0;  // rows_ before this may be taken
    std::size_t firstRows_ = 0;  // rows_ of the first stage
    std::vector<char> firstFinished_;
    std::size_t firstDone_ = 0;  // first-stage rows_ before this are done
    std::condition_variable firstProgress_;
    HRESULT failure_ = S_OK;
    bool closed_ = false;
    std::vector<std::thread> workers_;
};

}  // namespace tovtex_tool
