#include "pointset/kernels.h"
namespace formeval::pointset::kernel {

Found pkradial(const Moments&, const Options&) {
    return {};
}
Found varadial(const Moments&, const Options&) {
    return {};
}
} // namespace formeval::pointset::kernel
