// An affine transformation of space: a 3x3 matrix and a translation.
//
// A point p maps to M p + t. The twelve coefficients are, in order, the
// matrix row by row (a11 a12 a13 a21 a22 a23 a31 a32 a33, indices 0 to 8)
// then the translation (tx ty tz, indices 9 to 11). The default value is
// the identity. Positions of products are rigid transformations (M a
// rotation), but nothing here requires it.
//
// A value type.
#ifndef KRVWD7_HOST_CATMATHTRANSFORMATION_H_
#define KRVWD7_HOST_CATMATHTRANSFORMATION_H_

#include <iosfwd>

class CATMathTransformation {
 public:
  CATMathTransformation();
  explicit CATMathTransformation(const double iCoef[12]);
  CATMathTransformation(double a11, double a12, double a13, double a21,
                        double a22, double a23, double a31, double a32,
                        double a33, double tx, double ty, double tz);

  void GetCoef(double oCoef[12]) const;
  void SetCoef(const double iCoef[12]);

  // Composition: (A * B) applied to p is A applied to (B applied to p).
  CATMathTransformation operator*(const CATMathTransformation& iOther) const;

  // The inverse transformation, so that T * T.Inverse() is the identity up
  // to rounding. A transformation whose matrix is singular (|det| below
  // 1e-12) has none: the result is then the identity — check IsInvertible()
  // first when that can happen.
  CATMathTransformation Inverse() const;
  bool IsInvertible() const;

  // oPoint = M iPoint + t. iPoint and oPoint may be the same array.
  void Apply(const double iPoint[3], double oPoint[3]) const;

  bool IsIdentity() const;
  // The largest absolute difference between corresponding coefficients.
  double MaxDifference(const CATMathTransformation& iOther) const;

  // Exact equality of the twelve coefficients.
  bool operator==(const CATMathTransformation& iOther) const;
  bool operator!=(const CATMathTransformation& iOther) const {
    return !(*this == iOther);
  }

 private:
  double Determinant() const;

  double coef_[12];
};

// Prints the twelve coefficients in order, separated by blanks.
std::ostream& operator<<(std::ostream& os, const CATMathTransformation& iT);

#endif  // KRVWD7_HOST_CATMATHTRANSFORMATION_H_
