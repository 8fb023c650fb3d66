// The document window tests' start: fresh process-wide state, the headless main and tool
// windows, and windows over plain white documents.
#pragma once

#include "core/profile/app_profile.h"
#include "document/paper/document_init.h"
#include "document/paper/headless.h"
#include "document/paper/paper.h"
#include "document/view/composition.h"
#include "windows/docwin/draw_window.h"
#include "windows/render_settings.h"
#include "windows/shell_host.h"

#include <gtest/gtest.h>

#include <memory>

struct DocWinFixture : ::testing::Test
{
    DocWinFixture()
    {
        initialiseAppProfile();
        initialiseDocument();
        initialiseWindows();
        resetRenderSettings();
        headlessMainForm() = CHeadlessMainForm{};
    }
    ~DocWinFixture() override
    {
        resetRenderSettings();
        headlessMainForm() = CHeadlessMainForm{};
    }

    // A window over a white document of canvas with layers layers, its buffer made for client.
    static std::unique_ptr<TDrawWindow> makeWindow(sSize canvas = {200, 100}, int32_t layers = 1,
                                                   sSize client = {400, 300})
    {
        auto w = TDrawWindow::Create();
        EXPECT_TRUE(w);
        if (!w)
            return w;
        EXPECT_TRUE(setupHeadlessPaper(*w->paper, canvas, 0xFFFFFF, layers));
        // As a load does: the display composed, the window sized to the document and cascaded.
        UpdateVRAM(*w->paper, true, true);
        w->formSizeCorrect(true);
        w->FormResize(client);
        return w;
    }

    CHeadlessMainForm &main() { return headlessMainForm(); }
    CHeadlessToolForm &tool() { return headlessMainForm().tool; }
    CAppProfile &prof() { return *gAppProfile; }
};
