// Decomposition of a key or limb matrix into Euler angles, scale and position.
#pragma once
#include "math/xmath.h"

struct EulerAngles {
  float x, y, z;  // degrees: rotate about X first, then Y, then Z (row vectors)
};

// The angles of a rotation R = Rx(X) Ry(Y) Rz(Z), read from the elements as they stand (a scaled
// matrix gives the angles of its scaled elements). Y lies in [-90, 90], X and Z in [-180, 180].
// When |m13| > 1 (only with scaling): X = Z = 0 and Y = m13 times 90 degrees.
EulerAngles MatrixToEuler(const Mat4& m);
