// Global operator new and delete that count live bytes (by the allocator's
// usable size, so delete needs no size of its own).
#include "bench/alloc_meter.h"

#include <malloc.h>
#include <sys/resource.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace velmora::bench {
namespace {

std::atomic<size_t> live{0};
std::atomic<size_t> peak{0};

void* Allocate(size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    const size_t now = live.fetch_add(malloc_usable_size(p), std::memory_order_relaxed) +
                       malloc_usable_size(p);
    size_t seen = peak.load(std::memory_order_relaxed);
    while (now > seen && !peak.compare_exchange_weak(seen, now, std::memory_order_relaxed)) {
    }
    return p;
}

void Release(void* p) {
    if (!p) return;
    live.fetch_sub(malloc_usable_size(p), std::memory_order_relaxed);
    std::free(p);
}

}  // namespace

size_t AllocatedBytes() { return live.load(); }
size_t PeakAllocatedBytes() { return peak.load(); }
void ResetPeak() { peak.store(live.load()); }
size_t MaxResidentBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<size_t>(usage.ru_maxrss) * 1024;
}

}  // namespace velmora::bench

void* operator new(size_t size) { return velmora::bench::Allocate(size); }
void* operator new[](size_t size) { return velmora::bench::Allocate(size); }
void operator delete(void* p) noexcept { velmora::bench::Release(p); }
void operator delete[](void* p) noexcept { velmora::bench::Release(p); }
void operator delete(void* p, size_t) noexcept { velmora::bench::Release(p); }
void operator delete[](void* p, size_t) noexcept { velmora::bench::Release(p); }
