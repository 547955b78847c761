// Test-only seam: lets tests replace the template layout of every render
// pass, to queue tasks of their own. The module never calls it.
#pragma once

namespace velmora {
struct RenderContext;
}

namespace velmora::testing {

// When set, every pass calls this instead of the layout its template
// chooses. Pass nullptr to restore the templates.
using LayoutFunction = void (*)(RenderContext& context);
void SetLayoutForTesting(LayoutFunction fn);

}  // namespace velmora::testing
