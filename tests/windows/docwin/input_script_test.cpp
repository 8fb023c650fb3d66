// Input scripts: every kind of step read from its line, and bad lines refused with their number.
#include "paint/brush/paint_modes.h"
#include "platform/desktop/keys.h"
#include "windows/docwin/input_script.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

struct GoodLine
{
    const char *text;
    std::function<void(const SInputStep &)> check;
};

TEST(InputScript, GoodLinesGiveTheirSteps)
{
    using K = eInputStepKind;
    const std::vector<GoodLine> cases = {
        {"press L 10 -20", [](const SInputStep &s) {
             EXPECT_EQ(s.kind, K::Press);
             EXPECT_EQ(s.button, eInputButton::Left);
             EXPECT_EQ(s.x, 10.0f);
             EXPECT_EQ(s.y, -20.0f);
             EXPECT_EQ(s.mods, 0);
         }},
        {"  release   M 3 4 shift ctrl  # the middle button", [](const SInputStep &s) {
             EXPECT_EQ(s.kind, K::Release);
             EXPECT_EQ(s.button, eInputButton::Middle);
             EXPECT_EQ(s.mods, imShift | imCtrl);
         }},
        {"press R 0 0 double alt space", [](const SInputStep &s) {
             EXPECT_EQ(s.button, eInputButton::Right);
             EXPECT_EQ(s.mods, imDouble | imAlt | imSpace);
         }},
        {"move 7 8 space", [](const SInputStep &s) {
             EXPECT_EQ(s.kind, K::Move);
             EXPECT_EQ(s.x, 7.0f);
             EXPECT_EQ(s.mods, imSpace);
         }},
        {"tablet -960.25 540.5 0.75", [](const SInputStep &s) {
             EXPECT_EQ(s.kind, K::Tablet);
             EXPECT_EQ(s.x, -960.25f);
             EXPECT_EQ(s.y, 540.5f);
             EXPECT_EQ(s.pressure, 0.75f);
             EXPECT_FALSE(s.on);
         }},
        {"tablet 1 2 0 eraser", [](const SInputStep &s) {
             EXPECT_EQ(s.pressure, 0.0f);
             EXPECT_TRUE(s.on);
         }},
        {"proximity in", [](const SInputStep &s) { EXPECT_TRUE(s.on); }},
        {"proximity out", [](const SInputStep &s) { EXPECT_FALSE(s.on); }},
        {"key down 0x2E", [](const SInputStep &s) {
             EXPECT_EQ(s.kind, K::Key);
             EXPECT_TRUE(s.on);
             EXPECT_EQ(s.vk, VK_DELETE);
             EXPECT_FALSE(s.repeat);
         }},
        {"key down Delete repeat", [](const SInputStep &s) {
             EXPECT_EQ(s.vk, VK_DELETE);
             EXPECT_TRUE(s.repeat);
         }},
        // A name shown with a space is written without it; one digit is the digit's key.
        {"key up pageup", [](const SInputStep &s) {
             EXPECT_FALSE(s.on);
             EXPECT_EQ(s.vk, VK_PRIOR);
         }},
        {"key up 1", [](const SInputStep &s) { EXPECT_EQ(s.vk, '1'); }},
        {"key down 32", [](const SInputStep &s) { EXPECT_EQ(s.vk, VK_SPACE); }},
        {"key down F6", [](const SInputStep &s) { EXPECT_EQ(s.vk, VK_F1 + 5); }},
        {"tool 13", [](const SInputStep &s) { EXPECT_EQ(s.subKind, TToolSubKind::tskSeedFill); }},
        {"tool tskMagicWand",
         [](const SInputStep &s) { EXPECT_EQ(s.subKind, TToolSubKind::tskMagicWand); }},
        {"tool drawlocus",
         [](const SInputStep &s) { EXPECT_EQ(s.subKind, TToolSubKind::tskDrawLocus); }},
        {"level 2", [](const SInputStep &s) { EXPECT_EQ(s.level, ePaintLevel::PAINT_LEVEL_qZ2); }},
        {"level 4", [](const SInputStep &s) { EXPECT_EQ(s.level, ePaintLevel::PAINT_LEVEL_qZ4); }},
        {"level 5", [](const SInputStep &s) { EXPECT_EQ(s.level, ePaintLevel::PAINT_LEVEL_qZ5); }},
        {"zoom 1:4", [](const SInputStep &s) {
             EXPECT_EQ(s.kind, K::Zoom);
             EXPECT_EQ(s.num, 1);
             EXPECT_EQ(s.den, 4);
         }},
        {"rotate -30.5", [](const SInputStep &s) { EXPECT_EQ(s.degrees, -30.5f); }},
        {"scroll -64 8", [](const SInputStep &s) {
             EXPECT_EQ(s.dx, -64);
             EXPECT_EQ(s.dy, 8);
         }},
        {"tick", [](const SInputStep &s) { EXPECT_EQ(s.kind, K::Tick); }},
        {"mirror", [](const SInputStep &s) { EXPECT_EQ(s.kind, K::Mirror); }},
        {"undo", [](const SInputStep &s) { EXPECT_EQ(s.kind, K::Undo); }},
        {"redo", [](const SInputStep &s) { EXPECT_EQ(s.kind, K::Redo); }},
        {"activate", [](const SInputStep &s) { EXPECT_EQ(s.kind, K::Activate); }},
        {"deactivate", [](const SInputStep &s) { EXPECT_EQ(s.kind, K::Deactivate); }},
        {"transform select", [](const SInputStep &s) {
             EXPECT_EQ(s.kind, K::Transform);
             EXPECT_TRUE(s.on);
         }},
        {"transform layer", [](const SInputStep &s) { EXPECT_FALSE(s.on); }},
    };
    for (const GoodLine &c : cases) {
        SCOPED_TRACE(c.text);
        std::optional<SInputStep> step;
        QString error;
        ASSERT_TRUE(parseInputStep(QString::fromUtf8(c.text), 12, step, error))
            << error.toStdString();
        ASSERT_TRUE(step);
        EXPECT_EQ(step->line, 12);
        c.check(*step);
    }
}

TEST(InputScript, BadLinesAreRefusedWithTheirNumberAndWhatIsWrong)
{
    const std::vector<std::pair<const char *, const char *>> cases = {
        {"jump 1 2", "unknown step \"jump\""},
        {"press X 1 2", "the button L, R or M"},
        {"press L 1", "needs 3 value(s)"},
        {"press L 1.5 2", "\"1.5\" is not a whole number"},
        {"move 1 2 hyper", "unknown modifier \"hyper\""},
        {"move 1 2 Shift", "unknown modifier \"Shift\""},
        {"move 2000000 0", "outside"},
        {"tablet 1 2 1.5", "outside 0..1"},
        {"tablet 1 2 -0.1", "outside 0..1"},
        {"tablet nan 2 0.5", "\"nan\" is not a number"},
        {"tablet 1 inf 0.5", "\"inf\" is not a number"},
        {"tablet 1 2 0.5 tip", "\"eraser\" last"},
        {"proximity near", "in or out"},
        {"key press A", "down or up"},
        {"key down Hyper", "unknown key \"Hyper\""},
        {"key down 300", "unknown key \"300\""},
        {"key down A again", "\"repeat\" last"},
        {"tool 37", "unknown tool \"37\""},
        {"tool Brush", "unknown tool \"Brush\""},
        {"level 3", "1, 2, 4 or 5"},
        {"level 6", "outside 1..5"},
        {"zoom 1/2", "N:D"},
        {"zoom 0:1", "outside 1..1000"},
        {"zoom 1:2:3", "N:D"},
        {"rotate", "needs 1 value(s)"},
        {"scroll 1", "needs 2 value(s)"},
        {"tick 1", "takes at most 0 value(s)"},
        {"undo now", "takes at most 0 value(s)"},
        {"transform all", "select or layer"},
    };
    for (const auto &[text, what] : cases) {
        SCOPED_TRACE(text);
        std::optional<SInputStep> step;
        QString error;
        EXPECT_FALSE(parseInputStep(QString::fromUtf8(text), 7, step, error));
        EXPECT_FALSE(step);
        EXPECT_TRUE(error.startsWith(QStringLiteral("line 7: "))) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(what))) << error.toStdString();
    }
}

TEST(InputScript, ScriptCountsEveryLineAndStopsAtTheFirstBadOne)
{
    std::vector<SInputStep> steps;
    QString error;
    ASSERT_TRUE(parseInputScript(QStringLiteral("# a stroke\n\npress L 1 1\r\nmove 2 2\n   \n"
                                                "release L 2 2 # done"),
                                 steps, error))
        << error.toStdString();
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0].line, 3);
    EXPECT_EQ(steps[1].line, 4);
    EXPECT_EQ(steps[2].line, 6);

    EXPECT_FALSE(parseInputScript(QStringLiteral("press L 1 1\n\n# x\nmove 2\nrelease L 1 1"),
                                  steps, error));
    EXPECT_TRUE(steps.empty());
    EXPECT_TRUE(error.startsWith(QStringLiteral("line 4: "))) << error.toStdString();
}

} // namespace
