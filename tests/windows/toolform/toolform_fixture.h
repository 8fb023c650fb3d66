// A real tool window over a headless document window: the main window's tool window is it, the
// document's stroke hooks answer its stroke and nib, and it has left the replay display.
#pragma once

#include "windows/docwin/docwin_fixture.h"

#include "core/mask/mask_manager.h"
#include "document/paper/headless_app.h"
#include "document/paper/paper.h"
#include "paint/brush/paint_param.h"
#include "platform/desktop/messages.h"
#include "ui/fields/num_mngr.h"
#include "ui/graphics/glyph_manager.h"
#include "windows/dock/dock_float.h"
#include "windows/toolform/tool_form.h"

#include <QWidget>

#include <memory>

struct ToolFormFixture : DocWinFixture
{
    ToolFormFixture()
    {
        form = std::make_unique<TToolForm>(owner, palettes);
        main().setToolForm(form.get(), form->Stroke());
        form->SetPlayMode(false);
        w = makeWindow({200, 100}, 3);
        form->SetWindow(w.get());
    }
    ~ToolFormFixture() override
    {
        if (form)
            form->SetWindow(nullptr);
        w.reset();
        main().setToolForm(nullptr, nullptr);
        form.reset();
        kavrin::installMessageHandlers(oldHandlers);
    }

    // Questions answer what the test scripts (the last answer repeats); each one is recorded.
    void answerQuestions(int answer)
    {
        questionAnswer = answer;
        kavrin::MessageHandlers h;
        h.confirm = [this](const QString &text, int) {
            questions.push_back(text);
            return questionAnswer;
        };
        h.yesNoCancel = [this](const QString &text) {
            questions.push_back(text);
            return questionAnswer;
        };
        h.questionEx = [this](const QString &text, const QString &, const QString &,
                              const QString &, int) {
            questions.push_back(text);
            return questionAnswer;
        };
        oldHandlers = kavrin::installMessageHandlers(h);
    }

    // A selection of (50, 20)-(150, 80) transformed; false when none starts.
    bool startTransform()
    {
        TPaper &p = *w->paper;
        const sSize size = p.m_paperSize;
        auto md = std::make_unique<CMaskData>(0, size.x, size.y);
        for (int32_t y = 20; y < 80; ++y)
            for (int32_t x = 50; x < 150; ++x)
                md->maskTC->setPixel(x, y, 255);
        p.maskMngr().deleteAll();
        p.maskMngr().insertAt(0, md);
        p.maskMngr().setCurIndex(0);
        p.bEnbMask = true;
        return w->transformSelect();
    }

    TToolForm &f() { return *form; }
    float opacity() { return form->NumToolDens->Value(); }
    TPaintParam &brush() { return *form->AliasParam(); }

    CHeadlessPaperApp app;
    QWidget owner;
    TDockFloatManager palettes{&owner};
    std::unique_ptr<TToolForm> form;
    std::unique_ptr<TDrawWindow> w;
    kavrin::MessageHandlers oldHandlers;
    int questionAnswer = kavrin::mrCancel;
    std::vector<QString> questions;
};
