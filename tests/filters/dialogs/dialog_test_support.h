// Fixtures of the filter dialog tests: the interface state for the whole run, a filter core over
// a fake document whose window shows the whole layer, a pixel function that counts its runs and
// inverts what it is given, a modal runner that drives a dialog instead of showing it modally,
// and layer snapshots.
#pragma once

#include "filters/core/filter_core.h"
#include "filters/dialogs/filter_dialog.h"
#include "filters/filter_test_support.h"
#include "support/fixed_clock.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <vector>

namespace dialogtest {

// Runs of countingFilter since the last reset.
int &filterRuns();
// Counts itself, then inverts the colours of dstRect (any record, any size).
bool countingFilter(sFlt4Params &p, const void *argp, int32_t args);

// Every pixel of img (a layer or a plain picture), row by row.
template <class Image> std::vector<uint32_t> pixelsOf(const Image &img)
{
    std::vector<uint32_t> out;
    for (int32_t y = 0; y < img.height(); ++y)
        for (int32_t x = 0; x < img.width(); ++x)
            out.push_back(img.getColor(x, y));
    return out;
}
// Every pixel of img set to c.
void fillLayer(CBlockVMTC &img, uint32_t c);

// A w x h layer shown whole by the window, a core on it with the given pixel function, the
// remembered values at their defaults, a fixed clock.
struct DialogRig
{
    explicit DialogRig(fptrFilter4 fn = countingFilter, int32_t w = 24, int32_t h = 16);
    ~DialogRig();
    CBlockVMTC &layer() { return *host.layers[0].image; }
    // The layer's pixels copied into the flow image (after a test painted the layer).
    void refresh(fptrFilter4 fn = countingFilter);
    void makeCore(fptrFilter4 fn);

    ScopedFixedClock clock{1000};
    filtertest::FakeFilterHost host;
    std::unique_ptr<CFlt4Core> core;
    std::vector<uint32_t> original;
};

// Installs a runner for its lifetime: the dialog is shown (without a modal loop), handed to
// drive, and the result of done() is answered; drive clicks OK or Cancel (or not: Cancel).
class ScopedDialogDriver
{
  public:
    explicit ScopedDialogDriver(std::function<void(QDialog &)> drive);
    ~ScopedDialogDriver();
    int runs = 0;

  private:
    FilterModalRunner m_previous;
};

// The dialog of type D inside a runner.
template <class D> D &as(QDialog &d)
{
    return dynamic_cast<D &>(d);
}

void clickOk(QDialog &d);
void clickCancel(QDialog &d);

} // namespace dialogtest
