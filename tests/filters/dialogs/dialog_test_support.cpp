#include "filters/dialogs/dialog_test_support.h"

#include "filters/commands/filter_commands.h"
#include "filters/core/pixel_mechanics.h"
#include "filters/dialogs/dialog_modules.h"
#include "ui/base/system_colours.h"
#include "ui/base/user_interface.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace {

// The interface state (colours, appearance pictures, in-place editors) for the whole run.
class DialogEnvironment : public ::testing::Environment
{
  public:
    void SetUp() override
    {
        installSysColorTable(fixedSysColorTable());
        initialiseUserInterface();
        initialiseFilters();
    }
    void TearDown() override { finaliseUserInterface(); }
};

[[maybe_unused]] ::testing::Environment *const gDialogEnvironment =
    ::testing::AddGlobalTestEnvironment(new DialogEnvironment);

} // namespace

namespace dialogtest {

int &filterRuns()
{
    static int runs = 0;
    return runs;
}

bool countingFilter(sFlt4Params &p, const void *, int32_t)
{
    ++filterRuns();
    if (!checkFlt4Params(p))
        return false;
    for (int32_t y = p.dstRect.y0; y < p.dstRect.y1; ++y)
        for (int32_t x = p.dstRect.x0; x < p.dstRect.x1; ++x)
            p.layerTC->setPixel(x, y, p.bkupTC->getColor(x, y) ^ 0x00FFFFFFu);
    return true;
}

void fillLayer(CBlockVMTC &img, uint32_t c)
{
    for (int32_t y = 0; y < img.height(); ++y)
        for (int32_t x = 0; x < img.width(); ++x)
            img.setPixel(x, y, c);
}

DialogRig::DialogRig(fptrFilter4 fn, int32_t w, int32_t h) : host(w, h, 7)
{
    host.view = sRect{0, 0, w, h};
    initialiseFilterDialogs();
    filterRuns() = 0;
    makeCore(fn);
}

DialogRig::~DialogRig()
{
    clearFilterModules();
}

void DialogRig::refresh(fptrFilter4 fn)
{
    host.refreshFlow(0);
    makeCore(fn);
}

void DialogRig::makeCore(fptrFilter4 fn)
{
    core = std::make_unique<CFlt4Core>(host, 0, fn, true);
    original = pixelsOf(layer());
}

ScopedDialogDriver::ScopedDialogDriver(std::function<void(QDialog &)> drive)
{
    m_previous = installFilterModalRunner([this, drive](QDialog &d) {
        ++runs;
        d.setResult(kavrin::mrCancel);
        d.show();
        drive(d);
        d.hide();
        return d.result();
    });
}

ScopedDialogDriver::~ScopedDialogDriver()
{
    installFilterModalRunner(m_previous);
}

void clickOk(QDialog &d)
{
    static_cast<TDialogBaseForm &>(d).ButtonOK->click();
}

void clickCancel(QDialog &d)
{
    static_cast<TDialogBaseForm &>(d).ButtonCancel->click();
}

} // namespace dialogtest
