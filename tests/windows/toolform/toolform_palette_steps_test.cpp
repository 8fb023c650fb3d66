// The input scripts' palette steps: what they parse, what they refuse by line, and that they act
// on the tool window the main window answers.
#include "toolform_fixture.h"

#include "windows/docwin/input_script.h"
#include "windows/toolform/palette_steps.h"

using D = TToolDetail;

struct ToolFormLiveReplaySteps : ToolFormFixture
{
    bool run(const QString &script)
    {
        std::vector<SInputStep> steps;
        QString error;
        if (!parseInputScript(script, steps, error))
        {
            ADD_FAILURE() << error.toStdString();
            return false;
        }
        for (const SInputStep &s : steps)
            if (!applyInputStep(*w, s))
                return false;
        return true;
    }
};

TEST_F(ToolFormLiveReplaySteps, BadStepsNameTheirLine)
{
    struct Case
    {
        const char *script;
        const char *error;
    };
    const Case cases[] = {
        {"tick\npalette detail Crayon\n", "line 2: unknown tool detail \"Crayon\""},
        {"palette key NoSuchKey\n", "line 1: unknown key \"NoSuchKey\""},
        {"palette value Nothing 3\n", "line 1: unknown value \"Nothing\""},
        {"palette value ToolDens\n", "line 1: palette needs 3 value(s)"},
        {"palette click nowhere\n", "line 1: unknown control \"nowhere\""},
        {"palette hop x\n", "line 1: palette takes detail, key, value or click, not \"hop\""},
    };
    for (const Case &c : cases)
    {
        std::vector<SInputStep> steps;
        QString error;
        EXPECT_FALSE(parseInputScript(QString::fromUtf8(c.script), steps, error)) << c.script;
        EXPECT_EQ(error, QString::fromUtf8(c.error)) << c.script;
    }
    EXPECT_EQ(toolDetailFromName(u"tdgrabberrotation"), D::tdGrabberRotation);
}

TEST_F(ToolFormLiveReplaySteps, StepsActOnTheBoundToolWindow)
{
    main().commandKeys = {{'5', false, false, false, 1348}};
    ASSERT_TRUE(run(QStringLiteral("palette detail Eraser4\n"
                                   "palette key 5\n"
                                   "palette value BrushSpace 30\n")));
    EXPECT_EQ(opacity(), 50);
    EXPECT_FLOAT_EQ(brush().Space(), 0.3f);
    // The pencil's button brings back the pencil and its own brush.
    ASSERT_TRUE(run(QStringLiteral("palette click Pencil\n")));
    EXPECT_EQ(f().ToolMode(), D::tdPencil5);
    EXPECT_EQ(f().FState.FLastTools[size_t(TToolKind::tkEraser)], D::tdEraser4);
    EXPECT_EQ(f().NumBrushSpace->Value(), 10);

    // A transform driven by its fields and applied.
    ASSERT_TRUE(startTransform());
    ASSERT_TRUE(run(QStringLiteral("palette click scalefix\n"
                                   "palette value OptScaleW 50\n"
                                   "palette click apply\n")));
    EXPECT_FALSE(w->isFreeTransform());
    EXPECT_EQ(f().NumOptScaleHRange->Value(), 50);
}
