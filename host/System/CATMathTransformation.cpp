#include "CATMathTransformation.h"

#include <cmath>
#include <cstring>
#include <ostream>

namespace {
const double kIdentity[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
}

CATMathTransformation::CATMathTransformation() { SetCoef(kIdentity); }

CATMathTransformation::CATMathTransformation(const double iCoef[12]) {
  SetCoef(iCoef);
}

CATMathTransformation::CATMathTransformation(double a11, double a12, double a13,
                                             double a21, double a22, double a23,
                                             double a31, double a32, double a33,
                                             double tx, double ty, double tz)
    : coef_{a11, a12, a13, a21, a22, a23, a31, a32, a33, tx, ty, tz} {}

void CATMathTransformation::GetCoef(double oCoef[12]) const {
  std::memcpy(oCoef, coef_, sizeof coef_);
}

void CATMathTransformation::SetCoef(const double iCoef[12]) {
  std::memcpy(coef_, iCoef, sizeof coef_);
}

CATMathTransformation CATMathTransformation::operator*(
    const CATMathTransformation& iOther) const {
  // (A*B)(p) = MA (MB p + tB) + tA.
  const double* a = coef_;
  const double* b = iOther.coef_;
  double out[12];
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      out[3 * r + c] = a[3 * r] * b[c] + a[3 * r + 1] * b[3 + c] + a[3 * r + 2] * b[6 + c];
    }
    out[9 + r] = a[3 * r] * b[9] + a[3 * r + 1] * b[10] + a[3 * r + 2] * b[11] + a[9 + r];
  }
  return CATMathTransformation(out);
}

double CATMathTransformation::Determinant() const {
  const double* m = coef_;
  return m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
         m[2] * (m[3] * m[7] - m[4] * m[6]);
}

bool CATMathTransformation::IsInvertible() const {
  return std::fabs(Determinant()) >= 1e-12;
}

CATMathTransformation CATMathTransformation::Inverse() const {
  if (!IsInvertible()) return CATMathTransformation();
  const double* m = coef_;
  double d = Determinant();
  double inv[12];
  inv[0] = (m[4] * m[8] - m[5] * m[7]) / d;
  inv[1] = (m[2] * m[7] - m[1] * m[8]) / d;
  inv[2] = (m[1] * m[5] - m[2] * m[4]) / d;
  inv[3] = (m[5] * m[6] - m[3] * m[8]) / d;
  inv[4] = (m[0] * m[8] - m[2] * m[6]) / d;
  inv[5] = (m[2] * m[3] - m[0] * m[5]) / d;
  inv[6] = (m[3] * m[7] - m[4] * m[6]) / d;
  inv[7] = (m[1] * m[6] - m[0] * m[7]) / d;
  inv[8] = (m[0] * m[4] - m[1] * m[3]) / d;
  // The inverse translation is -Minv t.
  for (int r = 0; r < 3; ++r) {
    inv[9 + r] = -(inv[3 * r] * m[9] + inv[3 * r + 1] * m[10] + inv[3 * r + 2] * m[11]);
  }
  return CATMathTransformation(inv);
}

void CATMathTransformation::Apply(const double iPoint[3], double oPoint[3]) const {
  double p[3] = {iPoint[0], iPoint[1], iPoint[2]};
  for (int r = 0; r < 3; ++r) {
    oPoint[r] = coef_[3 * r] * p[0] + coef_[3 * r + 1] * p[1] + coef_[3 * r + 2] * p[2] +
                coef_[9 + r];
  }
}

bool CATMathTransformation::IsIdentity() const { return *this == CATMathTransformation(); }

double CATMathTransformation::MaxDifference(const CATMathTransformation& iOther) const {
  double most = 0;
  for (int i = 0; i < 12; ++i) most = std::fmax(most, std::fabs(coef_[i] - iOther.coef_[i]));
  return most;
}

bool CATMathTransformation::operator==(const CATMathTransformation& iOther) const {
  for (int i = 0; i < 12; ++i) {
    if (coef_[i] != iOther.coef_[i]) return false;
  }
  return true;
}

std::ostream& operator<<(std::ostream& os, const CATMathTransformation& iT) {
  double c[12];
  iT.GetCoef(c);
  for (int i = 0; i < 12; ++i) os << (i ? " " : "") << c[i];
  return os;
}
