// The pool a pass gets.
#include <gtest/gtest.h>

#include "controller/render_context.h"
#include "render/thread_pool.h"

namespace velmora {
namespace {

TEST(RenderContext, WorkersAsAskedOrOnePerProcessor) {
    EXPECT_EQ(RenderContext(3).pool.WorkerCount(), 3u);
    EXPECT_EQ(RenderContext().pool.WorkerCount(), DefaultWorkerCount());
    EXPECT_EQ(RenderContext(0).pool.WorkerCount(), DefaultWorkerCount());
}

}  // namespace
}  // namespace velmora
