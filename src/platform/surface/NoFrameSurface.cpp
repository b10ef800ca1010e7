#include "platform/FrameSurface.h"

namespace platform {

// Window systems without a native surface of ours: the toolkit draws every frame.
std::unique_ptr<FrameSurface> makeNativeFrameSurface(QWindow&) {
    return nullptr;
}

}  // namespace platform
