// The small vector and matrix types of the second filter generation: a plane vector for the
// twist and the emboss, a space vector and a 4 x 4 rotation matrix for the older lighting.
// Components are Singles, matrix cells Doubles, as the recorded pictures were computed.
#pragma once

// A vector of the plane.
struct TVector2
{
    float x = 0, y = 0;

    TVector2() = default;
    TVector2(float ax, float ay) : x(ax), y(ay) {}
    // x' = x cos - y sin, y' = x sin + y cos.
    void Rotate(float rad);
    float Size() const;
    void Mul(float m);
};

struct TVector3;

// Sixteen Doubles row by row; only the upper 3 x 3 is used to turn vectors.
struct T44Matrix
{
    double m00 = 1, m01 = 0, m02 = 0, m03 = 0;
    double m10 = 0, m11 = 1, m12 = 0, m13 = 0;
    double m20 = 0, m21 = 0, m22 = 1, m23 = 0;
    double m30 = 0, m31 = 0, m32 = 0, m33 = 1;

    void InitMatrix();
    void SetXRotation(double theta);
    void SetYRotation(double theta);
    void SetZRotation(double theta);
    // worked := src as a row vector times the upper 3 x 3.
    void RotTransfer(const TVector3 &src, TVector3 &worked) const;
};

// A vector of space.
struct TVector3
{
    float x = 0, y = 0, z = 0;

    TVector3() = default;
    TVector3(float ax, float ay, float az) : x(ax), y(ay), z(az) {}
    void Sets(float setx, float sety, float setz);
    float Size() const;
    double DotProduct(const TVector3 &v) const;
    void Sub(const TVector3 &v);
    double Distance(const TVector3 &v) const;
    // Scales to the length newsize (a negative length turns the vector round); a zero vector
    // stays zero.
    void SetSize(double newsize);
    void RotateArroundX(double rad);
    void RotateArroundY(double rad);
    void RotateArroundZ(double rad);

  private:
    void rotate(const T44Matrix &m);
};
