// Small preset sets for the tests of the lists and popups that show them, and a scope that puts
// the list views' hooks back.
#pragma once

#include "core/image/channel.h"
#include "paint/gradient/gradient_manager.h"
#include "paint/tone/tone_manager.h"
#include "ui/lists/list_hooks.h"

#include <QString>

// Gradients named "g0", "g1", ... after the fixed one when special; the first current, unmodified.
inline void fillGradients(CGradMngr &m, int n)
{
    for (int i = 0; i < n; ++i) {
        const int idx = m.appendGrad(makeRGBA(uint8_t(i), 0, 0, 0), makeRGBA(255, 255, 255, 1));
        m.getGrad(idx)->crsg->setName(QStringLiteral("g%1").arg(i));
    }
    m.setCurGrad(0);
    m.setModified(false);
}

// Plain 4 x 4 patterns named "p0", "p1", ... of the grey value 40 i; the first current, unmodified.
inline void fillPatterns(CToneMngr &m, int n)
{
    for (int i = 0; i < n; ++i) {
        TChannel ch(4, 4);
        ch.PixelFill(uint8_t(40 * i));
        const int idx = m.appendPattern(ch, 100, nullptr);
        m.getPattern(idx)->setName(QStringLiteral("p%1").arg(i));
    }
    m.setCurPat(0);
    m.setModified(false);
}

// Puts the list views' hooks back as they were when the test ends.
class HooksScope
{
  public:
    HooksScope() : m_saved(listViewHooks()) {}
    ~HooksScope() { listViewHooks() = m_saved; }

  private:
    TListViewHooks m_saved;
};
