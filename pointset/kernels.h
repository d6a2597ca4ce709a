// The pointset library's own kernels, shared by its references (and by any
// feature built on them, such as the cylinder): points in a working frame, the
// moments and their eigenvectors, a dual simplex over implicit constraints, the
// sharpness of a minimax optimum, and a branch and bound over boxes.
//
// Working coordinates: q = (p - origin) * scale with scale a power of two that
// brings the points to unit size, so that no square underflows or overflows.
#pragma once

#include "pointset/chebyshev.h"
#include "pointset/frame.h"
#include "pointset/search.h"
#include "pointset/simplex.h"
