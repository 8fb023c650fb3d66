// The input tests' start: an active window over a white document painting at level 5 with the
// headless main stroke, no keys held, the program's own handler tables, and handlers that log
// what reaches them for the groups a test patches in.
#pragma once

#include "docwin_fixture.h"

#include "document/paper/headless_app.h"
#include "document/stroke/paper_stroke.h"
#include "paint/brush/pen_records.h"
#include "platform/desktop/keys.h"
#include "platform/tablet/wintab.h"
#include "windows/docwin/input_dispatch.h"
#include "windows/tablet/wintab32.h"

#include <string>
#include <vector>

namespace input_test {

// What reached the logging handlers, in order: "3 LDown 10,20" (group, slot, position or "-").
inline std::vector<std::string> &handlerLog()
{
    static std::vector<std::string> log;
    return log;
}

inline void note(int group, const char *slot, const sPos *pos)
{
    std::string s = std::to_string(group) + " " + slot;
    s += pos ? " " + std::to_string(pos->x) + "," + std::to_string(pos->y) : " -";
    handlerLog().push_back(s);
}

template <int G> void logLDown(TDrawWindow &, TShiftState, const sPos *p) { note(G, "LDown", p); }
template <int G> void logLHold(TDrawWindow &, TShiftState, const sPos *p) { note(G, "LHold", p); }
template <int G> void logLUp(TDrawWindow &, TShiftState, const sPos *p) { note(G, "LUp", p); }
template <int G> void logRDown(TDrawWindow &, TShiftState, const sPos *p) { note(G, "RDown", p); }
template <int G> void logRUp(TDrawWindow &, TShiftState, const sPos *p) { note(G, "RUp", p); }
template <int G> void logDbl(TDrawWindow &, TShiftState, const sPos *p) { note(G, "LDblClk", p); }
template <int G> void logMove(TDrawWindow &, TShiftState, const sPos *p) { note(G, "Move", p); }
template <int G> void logKey(TDrawWindow &, uint32_t key, uint32_t)
{
    handlerLog().push_back(std::to_string(G) + " Key " + std::to_string(key));
}
template <int G> void logForceEnd(TDrawWindow &w, const sPos *p)
{
    note(G, "ForceEnd", p);
    defaultForceEnd(w, p);
}

// Replaces group G's row by logging handlers (the forced end logs, then does the default one).
template <int G> void logGroup()
{
    SEventProcs &row = eventProcTable(G);
    row.onLDown = logLDown<G>;
    row.onLHold = logLHold<G>;
    row.onLUp = logLUp<G>;
    row.onLDblClk = logDbl<G>;
    row.onRDown = logRDown<G>;
    row.onRHold = logLHold<G>;
    row.onRUp = logRUp<G>;
    row.onMouseMove = logMove<G>;
    row.onKeyDown = logKey<G>;
    row.forceEnd = logForceEnd<G>;
}

struct InputFixture : DocWinFixture
{
    explicit InputFixture(sSize canvas = {200, 100}, sSize client = {400, 300})
    {
        resetKeyState();
        setKeyToggled(VK_CAPITAL, false);
        resetEventProcTables();
        handlerLog().clear();
        SPenParam prm;
        initPenParam(prm, 5);
        app.render4.changePenParam(prm);
        app.render5.changePenParam(prm);
        app.stroke.SetDrawColor(0xFF204080);
        w = makeWindow(canvas, 1, client);
        if (!w)
            return;
        startPaintModeQZ5(*w->paper);
        tool().setWindow(w.get());
        w->FormActivate();
    }
    ~InputFixture() override
    {
        w.reset();
        resetEventProcTables();
        resetKeyState();
        setKeyToggled(VK_CAPITAL, false);
        resetWintab();
    }

    // Switches the tool as the tool window does.
    void useTool(TToolSubKind kind) { tool().ChangeToolSubMode(kind, true); }
    // Holds exactly these keys.
    static void hold(std::initializer_list<int32_t> keys)
    {
        resetKeyState();
        for (int32_t vk : keys)
            setKeyDown(vk, true);
    }
    // A tablet the main window holds, present, with the pen out of range.
    TWinTab32 &attachTablet()
    {
        SWintabTestSetup s;
        s.present = true;
        s.virtualScreen = QRect(0, 0, 1920, 1080);
        setWintabTestSetup(s);
        main().tab = std::make_shared<TWinTab32>(true, 1);
        main().tab->m_osVer = 601;
        return *main().tab;
    }
    TStroke &stroke() { return app.stroke; }

    CHeadlessPaperApp app;
    std::unique_ptr<TDrawWindow> w;
};

} // namespace input_test
