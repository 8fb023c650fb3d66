// The older generation's floor: two infinite planes (a floor at height 0 and a sky at skyheight)
// seen from a camera, rendered from a mesh of one ray per pixel corner. Every quantity is a
// Double. The mesh is computed a row at a time as the renderer needs it, so that a large layer
// does not hold (W + 1)(H + 1) points at once; the values are those of the whole mesh.
#pragma once

#include "core/base/geometry.h"

#include <cstdint>
#include <span>
#include <vector>

class CBlockVMTC;
class CMaskData;
class TMTC;

// One mesh point: the plane coordinates of the hit, its distance from the camera (clamped to
// [near, far]) and the plane it lies on.
struct SPlanePoint
{
    double u = 0, v = 0, z = 0;
    int32_t tex = 0; // 0 floor, 1 sky
};

class CInfinitePlane
{
  public:
    CInfinitePlane() = default;

    // A mesh of (width + 1) x (height + 1) points; near = (width + height) div 4 and far from
    // maxfar (below 1 taken as 1) as the floor filter computes it, at least 1. False when a side
    // is below 1 or the row memory cannot be had.
    bool Initialize(int32_t width, int32_t height, int32_t maxfar);
    void SetCamera(double mx, double my, double mz, double H, double P, double B);
    // Heading and pitch stored; the camera placed at length from (px, py, pz), behind the view.
    void SetDistCamera(double px, double py, double pz, double length, double H, double P);
    // The textures (floor, sky; not owned) and the projection; the mesh turns by the pitch.
    void SetHeadingPitch(double eye2scr, double skyheight, const TMTC *floor, const TMTC *sky);
    // The same with the mesh turned by the bank instead.
    void SetHeadingBank(double eye2scr, double skyheight, const TMTC *floor, const TMTC *sky);
    // One pixel per mesh cell into dest, (i, j) from the cell's top-left point, for i < width and
    // j < height. The fog colour's alpha is ignored; alpha is the texture opacity added to 255.
    // The floor filter's put table applies by clear, prt and useOrgPic. aa and rect are not read.
    bool Rendering(CBlockVMTC &dest, uint32_t farColor, int32_t alpha, bool clear, bool useOrgPic,
                   bool aa, bool drawfar, const CMaskData *mask, sPos ofspos, bool prt,
                   const sRect &rect);

    // The mesh row j (m_bx points) computed with the per-row terms taken out of the loop.
    void meshRow(int32_t j, std::span<SPlanePoint> row) const;
    // Point (i, j) computed exactly as written, term by term: the oracle of meshRow.
    SPlanePoint meshPointPlain(int32_t i, int32_t j) const;

    int32_t m_bx = 0, m_by = 0;
    uint32_t m_maxfar = 0, m_maxnear = 0;
    double m_mx = 0, m_my = 0, m_mz = 0;
    double m_H = 0, m_P = 0, m_B = 0;
    double m_eye2scr = 0, m_skyheight = 0;
    const TMTC *m_texture[2] = {nullptr, nullptr}; // floor, sky

  private:
    SPlanePoint hitPoint(double t, double planeU, double planeV) const;

    bool m_bank = false; // the mesh turns by the bank (SetHeadingBank)
    std::vector<SPlanePoint> m_row;
};
