// The JPEG options dialog without widgets: a quality from 10 to 100, picked from four named
// levels or typed freely, a smoothing strength from 0 to 100, greyscale and progressive. It
// starts from the settings kept in the profile (greyscale always off) and writes them back only
// when asked to on OK. The level qualities are the profile's and are only read here.
#pragma once

#include "ui/fields/num_mngr.h"
#include "windows/shell_host.h"

#include <array>
#include <cstdint>
#include <functional>

class CAppProfile;

// The named levels in list order: "最高", "高", "標準", "低".
inline constexpr int kJpegLevelCount = 4;
inline constexpr std::array<const char *, kJpegLevelCount> kJpegLevelNames = {"最高", "高", "標準",
                                                                              "低"};
// QualityType of a quality that is not its level's own.
inline constexpr int32_t kJpegFreeQuality = 4;

// The quality slider stores s = 5p / (13 - 8p) for a place p (0..1) of the quality in its range
// and reads back p = 13s / (8s + 5): the upper qualities get most of the slider's length, and its
// middle is quality 75.
float TrackQInFilter(float p);
float TrackQOutFilter(float s);

class CJpegOptionModel
{
  public:
    enum class TSender : uint8_t
    {
        CmbC,
        NumQ,
        TrackQ,
        NumS,
        TrackS,
        ChkG,
        ChkP,
        Other,
    };

    // Opens on the profile's settings; the profile must outlive the model.
    explicit CJpegOptionModel(CAppProfile &profile);
    CJpegOptionModel(const CJpegOptionModel &) = delete;
    CJpegOptionModel &operator=(const CJpegOptionModel &) = delete;

    // The quality of a level (the profile's; any index outside the list reads "高"'s).
    int32_t levelQuality(int level) const;
    // The level whose range holds q: the one nearest to it, a tie going to the higher.
    int levelOfQuality(float q) const;

    // Quality 10..100 and smoothing 0..100.
    TNumMngr NumQ;
    TNumMngr NumS;

    // What the user does besides typing: choose a level, move a slider to place p (0..1, as
    // the slider reads it), switch greyscale or progressive.
    int level() const { return m_level; }
    void selectLevel(int level);
    float trackQ() const { return m_trackQ; }
    void setTrackQ(float p);
    float trackS() const { return m_trackS; }
    void setTrackS(float p);
    bool grayscale() const { return m_grayscale; }
    void setGrayscale(bool on);
    bool progressive() const { return m_progressive; }
    void setProgressive(bool on);

    // The settings as shown.
    const TJpegSaveOption &CurValue() const { return FCurValue; }
    // What OK keeps in the profile: the level (4 for a free quality), the quality, the
    // smoothing and whether it is used, progressive. Greyscale is not kept.
    void writeProfile() const;

    // After every handled change (the form shows the list, sliders and switches again).
    std::function<void()> OnValueChange;

    // The one change handler, skipped while it runs.
    void ValueChange(TSender Sender);

  private:
    void refreshCurValue();
    bool freeQuality() const;

    CAppProfile &m_profile;
    bool FUpdateNow = false;
    TJpegSaveOption FCurValue;
    int m_level = 1;
    float m_trackQ = 0;
    float m_trackS = 0;
    bool m_grayscale = false;
    bool m_progressive = false;
};
