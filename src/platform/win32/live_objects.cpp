#include "live_objects.h"

#include <atomic>

namespace platform {

namespace {
std::atomic<int> liveObjects{0};
}

void ObjectCreated() {
    liveObjects.fetch_add(1, std::memory_order_relaxed);
}

void ObjectDestroyed() {
    liveObjects.fetch_sub(1, std::memory_order_relaxed);
}

int LiveObjectCount() {
    return liveObjects.load(std::memory_order_relaxed);
}

}  // namespace platform
