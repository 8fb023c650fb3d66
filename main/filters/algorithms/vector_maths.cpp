#include "filters/algorithms/vector_maths.h"

#include <cmath>

// Expressions are evaluated in extended precision and rounded when stored, as the recorded
// pictures were.

void TVector2::Rotate(float rad)
{
    const long double c = std::cos((long double)rad), s = std::sin((long double)rad);
    const float nx = float(c * x - s * y);
    const float ny = float(s * x + c * y);
    x = nx;
    y = ny;
}

float TVector2::Size() const
{
    return float(std::sqrt((long double)x * x + (long double)y * y));
}

void TVector2::Mul(float m)
{
    x = float((long double)x * m);
    y = float((long double)y * m);
}

void T44Matrix::InitMatrix()
{
    *this = T44Matrix{};
}

void T44Matrix::SetXRotation(double theta)
{
    InitMatrix();
    m11 = std::cos(theta);
    m21 = std::sin(theta);
    m12 = -std::sin(theta);
    m22 = std::cos(theta);
}

void T44Matrix::SetYRotation(double theta)
{
    InitMatrix();
    m00 = std::cos(theta);
    m20 = -std::sin(theta);
    m02 = std::sin(theta);
    m22 = std::cos(theta);
}

void T44Matrix::SetZRotation(double theta)
{
    InitMatrix();
    m00 = std::cos(theta);
    m10 = -std::sin(theta);
    m01 = std::sin(theta);
    m11 = std::cos(theta);
}

void T44Matrix::RotTransfer(const TVector3 &src, TVector3 &worked) const
{
    const long double x = src.x, y = src.y, z = src.z;
    worked.x = float(x * m00 + y * m10 + z * m20);
    worked.y = float(x * m01 + y * m11 + z * m21);
    worked.z = float(x * m02 + y * m12 + z * m22);
}

void TVector3::Sets(float setx, float sety, float setz)
{
    x = setx;
    y = sety;
    z = setz;
}

float TVector3::Size() const
{
    return float(std::sqrt((long double)x * x + (long double)y * y + (long double)z * z));
}

double TVector3::DotProduct(const TVector3 &v) const
{
    return double((long double)x * v.x + (long double)y * v.y + (long double)z * v.z);
}

void TVector3::Sub(const TVector3 &v)
{
    x -= v.x;
    y -= v.y;
    z -= v.z;
}

double TVector3::Distance(const TVector3 &v) const
{
    const long double dx = (long double)x - v.x, dy = (long double)y - v.y,
                      dz = (long double)z - v.z;
    const long double sq = dx * dx + dy * dy + dz * dz;
    return sq == 0 ? 0.0 : double(std::sqrt(sq));
}

void TVector3::SetSize(double newsize)
{
    const long double len = std::sqrt((long double)x * x + (long double)y * y + (long double)z * z);
    if (len == 0)
        return;
    const long double k = newsize / len;
    x = float(x * k);
    y = float(y * k);
    z = float(z * k);
}

void TVector3::rotate(const T44Matrix &m)
{
    const TVector3 copy = *this;
    m.RotTransfer(copy, *this);
}

void TVector3::RotateArroundX(double rad)
{
    T44Matrix m;
    m.SetXRotation(rad);
    rotate(m);
}

void TVector3::RotateArroundY(double rad)
{
    T44Matrix m;
    m.SetYRotation(rad);
    rotate(m);
}

void TVector3::RotateArroundZ(double rad)
{
    T44Matrix m;
    m.SetZRotation(rad);
    rotate(m);
}
