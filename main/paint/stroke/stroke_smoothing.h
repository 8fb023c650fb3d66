// Smoothing and interpolation of the input samples of a version-5 stroke: a moving window that
// averages each sample with its neighbours, and the span of a uniform cubic B-spline (or a straight
// segment) through the newest smoothed samples, subdivided until it is flat to half a pixel.
#pragma once

#include "paint/stroke/stroke_data.h"
#include "paint/brush/stroke_param.h"

#include <cstdint>
#include <span>
#include <vector>

// The moving window of level N: 2N + 1 samples, entry 0 the newest, the smoothed centre at entry
// N. Each sample added gives one smoothed sample N samples behind the input: the mean position of
// the N newer raw samples and the N older, already smoothed ones, with the centre's own pressure.
class CSmoother
{
  public:
    // The largest level a window is made for; a larger one fails like a window that cannot be
    // allocated (the stroke does not start).
    static constexpr int32_t kMaxSampleCount = 0xFFFF;

    explicit CSmoother(int32_t level = 0) : sampleCount(level) {}

    // The level N used from the next start on.
    void setSampleCount(int32_t level) { sampleCount = level; }
    int32_t getSampleCount() const { return sampleCount; }

    // Fills a window of 2N + 1 entries with sd and clears the sums. False, leaving the smoother
    // unusable, when N is negative or the window cannot be had.
    bool start(const SStrokeData &sd);
    // Shifts sd in as the newest sample and smooths the centre. False (nothing changes) when the
    // smoother has not been started.
    bool add(const SStrokeData &sd);
    bool isUsable() const { return !strokeDataArray.empty(); }

    // The smoothed sample (entry N); the newest raw sample (entry 0). A default sample when the
    // smoother is unusable.
    SStrokeData getSmoothData() const;
    SStrokeData getLastData() const;
    // Length of the polyline from the centre through the midpoints of consecutive pairs of the
    // older entries to the oldest one.
    float getLastDistance() const;
    int32_t getDataCount() const { return dataCount; }

  private:
    int32_t level() const { return int32_t(strokeDataArray.size() / 2); }

    int32_t sampleCount;
    std::vector<SStrokeData> strokeDataArray; // entry 0 the newest; empty before start
    int32_t dataCount = 0;
    bool isFirstCalc = true;
    float prevXSum = 0, prevYSum = 0; // the window's sums without its centre
};

// The newest four smoothed samples and the points of the span between them.
class CInterpolater
{
  public:
    explicit CInterpolater(eInterpolateType type = eInterpolateType::iptBSpline);

    void setType(eInterpolateType type) { iptType = type; }
    eInterpolateType getType() const { return iptType; }

    // All four entries := sd; the count starts at 1.
    void start(const SStrokeData &sd);
    // Shifts sd in as entry 0; ignored until started (after reset the count is 0).
    void add(const SStrokeData &sd);
    void reset() { dataCount = 0; }
    int32_t getDataCount() const { return dataCount; }

    // The points of the newest span, in order; they stay valid until the next call. Empty (false)
    // before start, for a B-spline until four samples are in, and for an unknown type.
    // Linear: entry 1, entry 0. B-spline: the span of the control points 3, 2, 1, 0 from t = 0 to
    // t = 1, subdivided where its middle lies half a pixel or more from the chord (finest step
    // 1/32); the pressure runs linearly from entry 1 to entry 0.
    std::span<const SStrokeData> getInterpolatePoints();

    // The B-spline point at parameter t (extended precision, stored as Singles).
    SStrokeData evalBSpline(float t) const;

  private:
    void subdivide(float t0, const SStrokeData &a, float t1, const SStrokeData &b);

    eInterpolateType iptType;
    SStrokeData strokeDataArray[4]; // entry 0 the newest
    std::vector<SStrokeData> interpolateDataArray;
    int32_t dataCount = 0;
};
