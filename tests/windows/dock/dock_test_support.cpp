#include "windows/dock/dock_test_support.h"

#include "ui/base/system_colours.h"
#include "ui/base/user_interface.h"
#include "ui/graphics/appearance.h"

#include "support/image_goldens.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

namespace {

class DockEnvironment : public ::testing::Environment
{
  public:
    void SetUp() override
    {
        installSysColorTable(fixedSysColorTable());
        if (!gAppearanceManager) {
            initialiseUserInterface();
            m_owned = true;
        }
    }
    void TearDown() override
    {
        if (m_owned)
            finaliseUserInterface();
    }

  private:
    bool m_owned = false;
};

[[maybe_unused]] ::testing::Environment *const gDockEnvironment =
    ::testing::AddGlobalTestEnvironment(new DockEnvironment);

} // namespace

bool TFakeDocument::event(QEvent *ev)
{
    if (ev->type() == TWindowMessageEvent::eventType()) {
        last = static_cast<TWindowMessageEvent *>(ev)->message();
        ++received;
        static_cast<TWindowMessageEvent *>(ev)->message().result = answer;
        return true;
    }
    return QWidget::event(ev);
}

void TAnsweringView::WndProc(TMessage &message)
{
    ++received;
    message.result = answer;
}

void DockFixture::SetUp()
{
    main = new QWidget;
    main->setGeometry(300, 200, 400, 300);
    area = new QMdiArea(main);
    area->setGeometry(0, 0, 400, 300);
    manager = new TDockFloatManager(main);
}

void DockFixture::TearDown()
{
    delete main; // the manager with it, and its palette windows
    flush();
}

TCustomDockView *DockFixture::makeView(const QString &caption, int height, int minHeight)
{
    auto *v = new TCustomDockView;
    v->setCaption(caption);
    v->setMinimumHeight(minHeight);
    v->resize(210, height);
    return v;
}

TDockFloatForm *DockFixture::makeWindow(QPoint at, const std::vector<int> &viewsPerPane,
                                        int viewHeight)
{
    TDockFloatForm *f = manager->AddForm();
    f->move(at);
    for (size_t p = 0; p < viewsPerPane.size(); ++p) {
        f->AddPane();
        for (int v = 0; v < viewsPerPane[p]; ++v)
            f->DockView(int(p), makeView(QStringLiteral("P%1V%2").arg(p).arg(v), viewHeight));
    }
    f->AlignPanes(true);
    f->ShowMM();
    return f;
}

void DockFixture::flush()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void sendMouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent ev(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons,
                   Qt::NoModifier);
    QApplication::sendEvent(w, &ev);
}

std::string compareWithDockGolden(const QImage &actual, const QString &name,
                                  const QList<QRect> &masks)
{
    QImage got = actual.convertToFormat(QImage::Format_ARGB32);
    {
        QPainter p(&got);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        for (const QRect &r : masks)
            p.fillRect(r, QColor(255, 0, 255, 255)); // text depends on the installed fonts
    }
    return image_goldens::compareWithGolden(got, QStringLiteral(KAVRIN_TEST_DATA "/windows"), name,
                                            QStringLiteral("windows-golden-failures"));
}
