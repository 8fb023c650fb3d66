#include "ui/fields/num_mngr.h"

#include "platform/desktop/messages.h"
#include "support/captured_messages.h"
#include "ui/fields/label_fields.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <limits>
#include <memory>

namespace {

// A model with a counter of its notifications.
struct Counted
{
    TNumMngr m;
    int changes = 0;
    Counted()
    {
        m.OnChange = [this](QObject *) { ++changes; };
    }
};

} // namespace

TEST(FieldsModel, ClampsAndNotifiesOnlyOnChange)
{
    Counted c;
    ASSERT_TRUE(c.m.SetValues(nullptr, 10, 0, 255));
    c.changes = 0;
    EXPECT_EQ(c.m.SetNumber(nullptr, 300), 255);
    EXPECT_EQ(c.m.SetNumber(nullptr, -5), 0);
    EXPECT_EQ(c.changes, 2);
    c.m.setValue(10);
    c.m.setValue(10);
    EXPECT_EQ(c.changes, 3); // the second 10 is no change
    c.m.setValue(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(c.m.Value(), 10);
    c.m.setValue(std::numeric_limits<float>::infinity());
    EXPECT_EQ(c.m.Value(), 255);
    c.m.SetWraps(nullptr, true, 0, 100);
    c.m.setValue(-std::numeric_limits<float>::infinity());
    EXPECT_EQ(c.m.Value(), 255);
    EXPECT_EQ(c.changes, 4);
}

TEST(FieldsModel, WrapsAround)
{
    struct Case
    {
        float lo, hi, in, out;
    } cases[] = {
        {0, 360, 370, 10},
        {0, 360, -10, 350},
        {0, 360, 360, 0},
        {0, 360, 720, 0},
        {0, 360, -360, 0},
        {-180, 180, 190, -170},
        {-180, 180, -190, 170},
        {-180, 180, 180, 180},
        // A wrap range away from 0 needs the remainder relative to its start.
        {300, 400, 350, 350},
        {300, 400, 450, 350},
        {300, 400, 250, 350},
        {300, 400, 399, 399},
    };
    for (const Case &k : cases) {
        TNumMngr m;
        ASSERT_TRUE(m.SetValues(nullptr, 1, -1000, 1000));
        ASSERT_TRUE(m.SetWraps(nullptr, true, k.lo, k.hi));
        m.setValue(k.in);
        EXPECT_FLOAT_EQ(m.Value(), k.out) << k.lo << ".." << k.hi << " " << k.in;
    }
    // A wrap range of no width holds its one value.
    TNumMngr m;
    m.SetValues(nullptr, 0, 0, 100);
    m.SetWraps(nullptr, true, 40, 40);
    m.setValue(77);
    EXPECT_EQ(m.Value(), 40);
}

TEST(FieldsModel, CentrePositionsAndSteps)
{
    TNumMngr m;
    m.SetValues(nullptr, 50, 0, 1000);
    m.UseCenter = true;
    m.setValueCenter(100);
    struct Case
    {
        float value, position;
    } cases[] = {{50, 0.25f}, {550, 0.75f}, {100, 0.5f}, {0, 0}, {1000, 1}};
    for (const Case &k : cases) {
        m.setValue(k.value);
        EXPECT_FLOAT_EQ(m.Position(), k.position) << k.value;
        m.setValue(k.value == 0 ? 1 : 0);
        m.setPosition(k.position);
        EXPECT_FLOAT_EQ(m.Value(), k.value) << k.position;
    }

    m.AmountLow = 1;
    m.AmountHigh = 10;
    struct Step
    {
        bool up, shift;
        float out;
    } steps[] = {{true, false, 110}, {false, false, 99}, {true, true, 200}, {false, true, 90}};
    for (const Step &s : steps) {
        m.setValue(100);
        s.up ? m.Increment(nullptr, s.shift) : m.Decrement(nullptr, s.shift);
        EXPECT_EQ(m.Value(), s.out) << s.up << s.shift;
    }

    // Zero-width ranges: position 0, writing gives the one value.
    TNumMngr flat;
    flat.SetValues(nullptr, 5, 5, 5);
    EXPECT_EQ(flat.Position(), 0);
    flat.setPosition(0.7f);
    EXPECT_EQ(flat.Value(), 5);
}

TEST(FieldsModel, TypedText)
{
    QLocale::setDefault(QLocale::c());
    struct Case
    {
        float min;
        const char *text;
        float out;
    } cases[] = {
        {-100, "abc", 7},  {-100, "-12.5", -12.5f}, {0, "-12.5", 12.5f}, {-100, "1.2.3", 1.23f},
        {-100, "--5", -5}, {-100, "x4y2", 42},      {-100, "", 7},       {-100, "-", 7},
        {-100, ".", 7},    {-100, "9999", 100},     {-100, "5.", 5},     {-100, ".5", 0.5f},
    };
    for (const Case &k : cases) {
        TNumMngr m;
        m.SetValues(nullptr, 7, k.min, 100);
        EXPECT_FLOAT_EQ(m.SetString(nullptr, QString::fromLatin1(k.text), 10), k.out) << k.text;
        EXPECT_FLOAT_EQ(m.Value(), k.out) << k.text;
    }
}

TEST(FieldsModel, TextBeyondSingleAndRefusedText)
{
    CapturedMessages catcher;
    const QString huge = QString(39, u'9');
    Counted c;
    c.m.SetValues(nullptr, 7, -100, 100);
    c.changes = 0;
    EXPECT_EQ(c.m.SetString(nullptr, huge), 100);
    EXPECT_EQ(c.m.SetString(nullptr, huge), 100); // still notifies: always a change
    EXPECT_EQ(c.changes, 2);
    EXPECT_EQ(c.m.SetString(nullptr, u'-' + huge), -100);
    EXPECT_EQ(c.m.SetString(nullptr, u'-' + QString(400, u'9')), -100);
    EXPECT_TRUE(catcher.warnings.isEmpty());

    // A minus and a lone separator: the conversion refuses it, the value stays.
    EXPECT_EQ(c.m.SetString(nullptr, "-."), -100);
    ASSERT_EQ(catcher.warnings.size(), 1);
    EXPECT_EQ(catcher.warnings[0], "ConvertError: '-.' is not a valid number");

    float v = 3;
    EXPECT_FALSE(parseNumberText(v, "-.", true));
    EXPECT_EQ(v, 3);
    EXPECT_TRUE(isNumberChar(u'7', false, false));
    EXPECT_FALSE(isNumberChar(u'-', false, true));
    EXPECT_TRUE(isNumberChar(u'-', true, false));
    EXPECT_FALSE(isNumberChar(u'.', true, false));
    EXPECT_FALSE(isNumberChar(u'e', true, true));
}

TEST(FieldsModel, RangesAndWrapsInOneCall)
{
    Counted c;
    c.m.SetValues(nullptr, 50, 0, 100);
    c.changes = 0;
    EXPECT_TRUE(c.m.SetValues(nullptr, 300, 0, 100));
    EXPECT_EQ(c.m.Value(), 100);
    EXPECT_EQ(c.changes, 1);
    EXPECT_TRUE(c.m.SetValues(nullptr, 100, 0, 100)); // same value: Change only
    EXPECT_EQ(c.changes, 2);
    EXPECT_FALSE(c.m.SetValues(nullptr, 5, 10, 0));
    EXPECT_EQ(c.m.Value(), 100);
    EXPECT_EQ(c.m.ValueMin(), 0);
    EXPECT_EQ(c.m.ValueMax(), 100);
    EXPECT_FALSE(c.m.SetWraps(nullptr, true, 10, 0));
    EXPECT_FALSE(c.m.WrapAround());

    // Raising the minimum pulls the value and the wrap start with it.
    TNumMngr m;
    m.SetValues(nullptr, 5, 0, 100);
    m.SetWraps(nullptr, false, 2, 90);
    int changes = 0;
    m.OnChange = [&](QObject *) { ++changes; };
    m.setValueMin(20);
    EXPECT_EQ(m.Value(), 20);
    EXPECT_EQ(m.WrapMin(), 20);
    EXPECT_EQ(changes, 1);
    m.setValueMax(10); // below the minimum: pulls everything down
    EXPECT_EQ(m.ValueMin(), 10);
    EXPECT_EQ(m.WrapMax(), 10);
    EXPECT_EQ(m.Value(), 10);
    // The wrap range is kept inside the value range.
    m.SetValues(nullptr, 0, 0, 100);
    EXPECT_TRUE(m.SetWraps(nullptr, true, -50, 500));
    EXPECT_EQ(m.WrapMin(), 0);
    EXPECT_EQ(m.WrapMax(), 100);
    m.setValueDefault(150);
    EXPECT_EQ(m.ValueDefault(), 100);
}

TEST(FieldsModel, LoadingStoresUnclamped)
{
    Counted c;
    c.m.beginLoading();
    c.m.setValue(500); // before the range: kept as given
    c.m.setValueMax(1000);
    c.m.setValueMin(600);
    c.m.setValueDefault(-3);
    c.m.endLoading();
    EXPECT_EQ(c.m.Value(), 500);
    EXPECT_EQ(c.m.ValueMin(), 600);
    EXPECT_EQ(c.m.ValueDefault(), -3);
    EXPECT_EQ(c.changes, 1); // loading still notifies
}

TEST(FieldsModel, AssociatesAreListedRefreshedAndDetached)
{
    auto m = std::make_unique<TNumMngr>();
    m->SetValues(nullptr, 42, 0, 100);
    TNumLabel a, b;
    QObject plain;
    a.setAssociate(m.get());
    b.setAssociate(m.get());
    EXPECT_EQ(m->Add(&plain), 2);
    EXPECT_EQ(m->Add(&a), 2); // listed once, now at the end
    EXPECT_EQ(m->AssociateCount(), 3);
    EXPECT_EQ(m->Associate(0), &b);
    EXPECT_EQ(m->Add(nullptr), -1);
    EXPECT_EQ(m->Remove(nullptr), -1);
    EXPECT_EQ(m->Remove(new QObject(&plain)), -1);

    EXPECT_EQ(a.Caption(), "42");
    m->SetNumber(&a, 43); // the sender is not refreshed
    EXPECT_EQ(a.Caption(), "42");
    EXPECT_EQ(b.Caption(), "43");
    m->setValue(44);
    EXPECT_EQ(a.Caption(), "44");

    m.reset();
    EXPECT_EQ(a.Associate(), nullptr);
    EXPECT_EQ(b.Associate(), nullptr);
    EXPECT_EQ(a.Caption(), "0");
    EXPECT_EQ(b.Caption(), "0");
}

TEST(FieldsModel, FormatsWithThePattern)
{
    EXPECT_EQ(formatNumber("%1.0f", 12.5f), "13"); // halves away from zero
    EXPECT_EQ(formatNumber("%1.0f", -0.4f), "-0");
    EXPECT_EQ(formatNumber("%1.2f%%", 3.14159f), "3.14%");
    EXPECT_EQ(formatNumber("%s", 1), "1"); // a pattern that would read a string: refused
}
