// The one-number dialogs and the selection grow and shrink commands: the field and the track bar
// follow each other within the range, the split count's limit, the selection radius's range and
// rounding, and the commands' gate, cancel, result, event, undo and replay.
#include "core/image/channel.h"
#include "core/mask/mask_manager.h"
#include "document/selection/selection_rig.h"
#include "support/live_replay.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"
#include "windows/presets/value_dialogs.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

// The dialog is shown without a modal loop and handed to drive, which sets a value and clicks.
class ScopedDriver
{
  public:
    explicit ScopedDriver(std::function<void(TFormValue &)> drive)
    {
        m_previous = installModalRunner([this, drive](QDialog &d) {
            ++runs;
            d.show();
            auto &f = dynamic_cast<TFormValue &>(d);
            title = f.windowTitle();
            maxSeen = f.NumValue->ValueMax();
            drive(f);
            return d.result() == 0 ? int(kavrin::mrCancel) : d.result();
        });
    }
    ~ScopedDriver() { installModalRunner(m_previous); }
    int runs = 0;
    QString title;
    float maxSeen = 0;

  private:
    ModalRunner m_previous;
};

// Types text into the field as a user would, replacing what it holds.
void typeInto(TNumEdit &edit, const QString &text)
{
    edit.setFocus();
    edit.selectAll();
    QTest::keyClicks(&edit, text);
}

void closeBox(QDialog &d)
{
    QCloseEvent ev;
    QApplication::sendEvent(&d, &ev);
    if (d.isVisible())
        d.reject();
}

} // namespace

TEST(ValueDialogs, TheFieldIsClampedAndTheTrackBarFollowsIt)
{
    TFormValue f;
    EXPECT_EQ(f.size(), QSize(296, 68));
    EXPECT_EQ(f.TrackValue->geometry(), QRect(16, 42, 160, 12));
    f.show();
    typeInto(*f.EdtValue, QStringLiteral("300"));
    EXPECT_FLOAT_EQ(f.NumValue->Value(), 255);
    EXPECT_FLOAT_EQ(f.TrackValue->Position(), 1);
    typeInto(*f.EdtValue, QStringLiteral("51"));
    EXPECT_FLOAT_EQ(f.TrackValue->Position(), 0.2f);
    f.TrackValue->setPosition(0.4f);
    f.TrackValue->OnChange(f.TrackValue);
    EXPECT_FLOAT_EQ(f.NumValue->Value(), 102);
    EXPECT_EQ(f.EdtValue->text(), QStringLiteral("102"));
}

TEST(ValueDialogs, DerivedDialogsSetTheirCaptionsAndRangeBeforeTheTrackBar)
{
    TFormSplit split;
    EXPECT_EQ(split.windowTitle(), QString::fromUtf8("分割"));
    EXPECT_EQ(split.StaticValue->text(), QString::fromUtf8("分割数(&D)"));
    EXPECT_EQ(split.StaticValueUnit->text(), QString::fromUtf8("個"));
    EXPECT_EQ(split.EdtValue->text(), QStringLiteral("2"));
    EXPECT_FLOAT_EQ(split.TrackValue->Position(), 0); // 2 is the range's start
    TFormSelExt ext;
    EXPECT_EQ(ext.StaticValueUnit->text(), QStringLiteral("px"));
    EXPECT_FLOAT_EQ(ext.NumValue->ValueMin(), 1);
    EXPECT_FLOAT_EQ(ext.NumValue->ValueMax(), 32);
}

TEST(ValueDialogs, SplitCountIsLimitedAndKeptOnCancel)
{
    struct Case
    {
        const char *name;
        int max;
        const char *typed;
        int how; // 0 OK, 1 Cancel, 2 the close box
        bool result;
        int count;
        float maxShown;
    };
    const Case cases[] = {
        {"above the limit", 5, "9", 0, true, 5, 5},
        {"a fraction rounds", 5, "3.5", 0, true, 4, 5},
        {"cancel", 5, "4", 1, false, 7, 5},
        {"close box", 5, "4", 2, false, 7, 5},
        {"a limit above 16", 20, "20", 0, true, 16, 16},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ScopedDriver driver([&](TFormValue &f) {
            typeInto(*f.EdtValue, QString::fromLatin1(c.typed));
            if (c.how == 0)
                f.ButtonOK->click();
            else if (c.how == 1)
                f.ButtonCancel->click();
            else
                closeBox(f);
        });
        int count = 7;
        EXPECT_EQ(askSplitCount(count, c.max), c.result);
        EXPECT_EQ(count, c.count);
        EXPECT_FLOAT_EQ(driver.maxSeen, c.maxShown);
    }
}

TEST(ValueDialogs, NoSplitDialogBelowTwoSegments)
{
    ScopedDriver driver([](TFormValue &f) { f.ButtonOK->click(); });
    int count = 7;
    EXPECT_FALSE(askSplitCount(count, 1));
    EXPECT_EQ(driver.runs, 0);
    EXPECT_EQ(count, 7);
}

TEST(ValueDialogs, SelectionRadiusIsKeptInRangeAndRounded)
{
    const struct
    {
        const char *typed;
        int n;
    } cases[] = {{"0", 1}, {"40", 32}, {"2.5", 3}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        ScopedDriver driver([&](TFormValue &f) {
            EXPECT_EQ(f.EdtValue->text(), QStringLiteral("6"));
            typeInto(*f.EdtValue, QString::fromLatin1(c.typed));
            f.ButtonOK->click();
        });
        int n = 6;
        EXPECT_TRUE(askSelectionShrink(n));
        EXPECT_EQ(n, c.n);
        EXPECT_EQ(driver.title, QString::fromUtf8("選択範囲の縮小"));
    }
    ScopedDriver driver([](TFormValue &f) { f.ButtonOK->click(); });
    int n = 1;
    EXPECT_TRUE(askSelectionGrow(n));
    EXPECT_EQ(driver.title, QString::fromUtf8("選択範囲の拡張"));
}

// ---- the commands

namespace {

constexpr sPos kDot{20, 15};

// Replaces the current mask by one set from the pixels of area (document positions).
bool selectArea(TPaper &paper, sRect area)
{
    TChannel ch(paper.m_paperSize.x, paper.m_paperSize.y);
    ch.PixelFill(0);
    for (int32_t y = area.y0; y < area.y1; ++y)
        for (int32_t x = area.x0; x < area.x1; ++x)
            *ch.seek8(x, y) = 255;
    std::unique_ptr<CMaskData> old;
    CMaskMngr &mm = paper.maskMngr();
    return mm.replaceMask(mm.getCurIndex(), ch, paper.m_paperSize, {0, 0}, old,
                          eMaskAddType::matNew);
}

// The selected document pixels as rows of '#' and '.' over area.
std::string selectedIn(const TPaper &paper, sRect area)
{
    const CMaskData *md = paper.getActiveMaskData();
    std::string s;
    for (int32_t y = area.y0; y < area.y1; ++y) {
        for (int32_t x = area.x0; x < area.x1; ++x)
            s += md && md->getMaskValue(x, y) ? '#' : '.';
        s += '\n';
    }
    return s;
}

// The radius as the dialog is driven: typed, then OK.
ScopedDriver typeRadius(int n)
{
    return ScopedDriver([n](TFormValue &f) {
        typeInto(*f.EdtValue, QString::number(n));
        f.ButtonOK->click();
    });
}

struct ResizeRig
{
    ResizeRig() { started = s.start() && selectArea(s.paper(), {20, 15, 21, 16}); }
    LiveReplayApp app;
    ScopedUndoMax undoMax{10};
    EditSession s{7, 2};
    bool started = false;
};

} // namespace

TEST(SelectionResize, ARefusingWindowOrCancelChangesNothing)
{
    for (bool refuse : {true, false}) {
        SCOPED_TRACE(refuse ? "refused" : "cancel");
        ResizeRig rig;
        ASSERT_TRUE(rig.started);
        rig.s.live.owner.acceptsEditCmd = !refuse;
        const QString before = masksOf(rig.s.paper());
        const uint32_t events = rig.s.ev().eventCnt;
        ScopedDriver driver([](TFormValue &f) { f.ButtonCancel->click(); });
        EXPECT_FALSE(expandSelectionCmd(rig.s.paper(), rig.s.flow(), 0, -1));
        EXPECT_FALSE(shrinkSelectionCmd(rig.s.paper(), rig.s.flow(), 0, -1));
        EXPECT_EQ(driver.runs, refuse ? 0 : 2);
        EXPECT_EQ(masksOf(rig.s.paper()), before);
        EXPECT_EQ(rig.s.ev().eventCnt, events);
        EXPECT_EQ(rig.s.undo().getUndoCnt(), 0);
    }
}

TEST(SelectionResize, GrowingADotGivesTheOctagonAndUndoRestoresIt)
{
    ResizeRig rig;
    ASSERT_TRUE(rig.started);
    const QString before = masksOf(rig.s.paper());
    {
        auto driver = typeRadius(2);
        ASSERT_TRUE(expandSelectionCmd(rig.s.paper(), rig.s.flow(), 0, -1));
        EXPECT_EQ(driver.title, QString::fromUtf8("選択範囲の拡張"));
    }
    EXPECT_EQ(selectedIn(rig.s.paper(), {kDot.x - 3, kDot.y - 3, kDot.x + 4, kDot.y + 4}),
              ".......\n"
              "..###..\n"
              ".#####.\n"
              ".#####.\n"
              ".#####.\n"
              "..###..\n"
              ".......\n");
    // The select command's body: layer and mask indexes, then the radius in the low half.
    std::vector<uint8_t> body;
    const std::vector<uint8_t> bytes = rig.s.stream();
    rig.s.ev().walkPackets(0, rig.s.ev().topEventPos, [&](const SEventPacketInfo &pk) {
        if (pk.hdr.group == 10 && pk.hdr.code == 25)
            body.assign(bytes.begin() + pk.pos + 2, bytes.begin() + pk.pos + 2 + pk.bodyLen);
        return true;
    });
    ASSERT_GE(body.size(), 12u);
    uint32_t d0 = 0, d1 = 1;
    std::memcpy(&d0, body.data() + 4, 4);
    std::memcpy(&d1, body.data() + 8, 4);
    EXPECT_EQ(d0, 2u);
    EXPECT_EQ(d1, 0u);
    ASSERT_TRUE(SelectionSession::undoStepOf(rig.s));
    EXPECT_EQ(masksOf(rig.s.paper()).toStdString(), before.toStdString());
}

TEST(SelectionResize, ShrinkingASquareLeavesItsCentre)
{
    ResizeRig rig;
    ASSERT_TRUE(rig.started);
    ASSERT_TRUE(selectArea(rig.s.paper(), {10, 10, 13, 13}));
    auto driver = typeRadius(1);
    ASSERT_TRUE(shrinkSelectionCmd(rig.s.paper(), rig.s.flow(), 0, -1));
    EXPECT_EQ(selectedIn(rig.s.paper(), {9, 9, 14, 14}), ".....\n"
                                                        ".....\n"
                                                        "..#..\n"
                                                        ".....\n"
                                                        ".....\n");
}

TEST(SelectionResizeLiveReplay, BothCommandsThroughTheDialog)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    for (bool grow : {true, false})
        for (int n : {1, 2, 9, 32}) {
            SCOPED_TRACE(testing::Message() << (grow ? "grow " : "shrink ") << n);
            auto driver = typeRadius(n);
            expectLiveEqualsReplay(
                [](TPaper &paper, uint32_t seed) {
                    return editStart(paper, seed, 2) && selectArea(paper, {8, 6, 30, 25});
                },
                [grow](TPaper &paper, uint32_t) {
                    return grow ? expandSelectionCmd(paper, paper.getActiveFlow(), 0, -1)
                                : shrinkSelectionCmd(paper, paper.getActiveFlow(), 0, -1);
                });
        }
}
