// Input scripts: the parser of one step a line, and the step applied to a window.
#include "windows/docwin/input_script.h"

#include "document/paper/paper.h"
#include "paint/brush/paint_modes.h"
#include "platform/desktop/keys.h"
#include "platform/desktop/window_message.h"
#include "windows/docwin/draw_window.h"
#include "windows/shell_host.h"
#include "windows/tablet/wintab32.h"
#include "windows/toolform/palette_steps.h"

#include <QCoreApplication>
#include <QPointingDevice>
#include <QStringList>
#include <QTabletEvent>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// The sub-kinds by their number, without the "tsk" prefix.
constexpr std::array<const char *, kToolSubKindCount> kSubKindNames = {
    "DrawLocus",
    "DrawLine",
    "DrawCurve",
    "DrawMultiLine",
    "DrawRectangle",
    "DrawEllipse",
    "DrawPolygon",
    "ChangePenSize",
    "Gradient",
    "FillRectangle",
    "FillEllipse",
    "FillPolygon",
    "FillLasso",
    "SeedFill",
    "SeedErase",
    "SelectRectangle",
    "SelectEllipse",
    "SelectPolygon",
    "SelectLasso",
    "SelectDragMove",
    "SelectKeyMove",
    "TransformSelection",
    "TransformLayer",
    "TransformSelectionWithLayer",
    "MagicWand",
    "LayerDragMove",
    "LayerKeyMove",
    "LayerDragMoveWithSelection",
    "LayerKeyMoveWithSelection",
    "FillText",
    "SelectText",
    "Trim",
    "SpuitForeground",
    "GrabberPosition",
    "GrabberRotation",
    "ZoomIn",
    "ZoomOut",
};

// Positions and steps beyond this are no input a window can get; refusing them keeps every sum
// of coordinates far from overflowing.
constexpr int32_t kMaxCoordinate = 1000000;

struct CLineReader
{
    int32_t line;
    QStringList words;
    QString error;

    bool fail(const QString &what)
    {
        if (error.isEmpty())
            error = QStringLiteral("line %1: %2").arg(line).arg(what);
        return false;
    }
    bool count(int32_t min, int32_t max)
    {
        const int32_t n = int32_t(words.size()) - 1;
        if (n < min)
            return fail(QStringLiteral("%1 needs %2 value(s)").arg(words[0]).arg(min));
        if (n > max)
            return fail(QStringLiteral("%1 takes at most %2 value(s)").arg(words[0]).arg(max));
        return true;
    }
    bool integer(int i, int32_t min, int32_t max, int32_t &out)
    {
        bool ok = false;
        const int32_t v = words[i].toInt(&ok, 10);
        if (!ok)
            return fail(QStringLiteral("\"%1\" is not a whole number").arg(words[i]));
        if (v < min || v > max)
            return fail(QStringLiteral("%1 is outside %2..%3").arg(v).arg(min).arg(max));
        out = v;
        return true;
    }
    template <typename T> bool real(int i, T min, T max, T &out)
    {
        bool ok = false;
        const T v = T(words[i].toDouble(&ok));
        if (!ok || !std::isfinite(v))
            return fail(QStringLiteral("\"%1\" is not a number").arg(words[i]));
        if (v < min || v > max)
            return fail(QStringLiteral("%1 is outside %2..%3").arg(words[i]).arg(min).arg(max));
        out = v;
        return true;
    }
    bool position(int i, SInputStep &s)
    {
        int32_t x = 0, y = 0;
        if (!integer(i, -kMaxCoordinate, kMaxCoordinate, x) ||
            !integer(i + 1, -kMaxCoordinate, kMaxCoordinate, y))
            return false;
        s.x = x;
        s.y = y;
        return true;
    }
    bool modifiers(int from, SInputStep &s)
    {
        static const std::array<std::pair<const char *, uint8_t>, 5> kMods = {{
            {"shift", imShift},
            {"ctrl", imCtrl},
            {"alt", imAlt},
            {"space", imSpace},
            {"double", imDouble},
        }};
        for (int i = from; i < words.size(); ++i) {
            bool known = false;
            for (const auto &[name, bit] : kMods)
                if (words[i] == QLatin1String(name)) {
                    s.mods = uint8_t(s.mods | bit);
                    known = true;
                }
            if (!known)
                return fail(QStringLiteral("unknown modifier \"%1\"").arg(words[i]));
        }
        return true;
    }
    bool choice(int i, const char *a, const char *b, bool &isA)
    {
        if (words[i] == QLatin1String(a) || words[i] == QLatin1String(b)) {
            isA = words[i] == QLatin1String(a);
            return true;
        }
        return fail(QStringLiteral("%1 takes %2 or %3, not \"%4\"").arg(words[0], a, b, words[i]));
    }
};

// ---- text tool (text_tool.cpp)
// Words separated by blanks; a word in double quotes keeps its blanks and may be empty, with \n a
// new line, \" a quote and \\ a backslash. An unquoted # starts a comment.
bool splitQuotedWords(QStringView text, CLineReader &r)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        while (i < n && text[i].isSpace())
            ++i;
        if (i >= n || text[i] == u'#')
            break;
        QString word;
        if (text[i] != u'"') {
            while (i < n && !text[i].isSpace() && text[i] != u'#')
                word += text[i++];
            r.words.push_back(word);
            continue;
        }
        ++i;
        bool closed = false;
        while (i < n) {
            const QChar c = text[i++];
            if (c == u'"') {
                closed = true;
                break;
            }
            if (c != u'\\' || i >= n) {
                word += c;
                continue;
            }
            const QChar e = text[i++];
            if (e == u'n')
                word += u'\n';
            else if (e == u'"' || e == u'\\')
                word += e;
            else
                return r.fail(QStringLiteral("unknown escape \"\\%1\"").arg(e));
        }
        if (!closed)
            return r.fail(QStringLiteral("a quoted word is not closed"));
        r.words.push_back(word);
    }
    return true;
}

// text X Y "TEXT" "FACE" SIZE [bold] [italic] [vertical] [spacing N] [leading N] [mask]
bool parseTextWords(CLineReader &r, SInputStep &s)
{
    s.kind = eInputStepKind::Text;
    SInputTextStep &t = s.textStep;
    int32_t x = 0, y = 0;
    if (!r.count(5, 13) || !r.integer(1, -kMaxCoordinate, kMaxCoordinate, x) ||
        !r.integer(2, -kMaxCoordinate, kMaxCoordinate, y) || !r.integer(5, 1, 999, t.size))
        return false;
    s.x = x;
    s.y = y;
    t.text = r.words[3];
    t.face = r.words[4];
    for (int i = 6; i < r.words.size(); ++i) {
        const QString &o = r.words[i];
        if (o == QLatin1String("bold"))
            t.bold = true;
        else if (o == QLatin1String("italic"))
            t.italic = true;
        else if (o == QLatin1String("vertical"))
            t.vertical = true;
        else if (o == QLatin1String("mask"))
            t.mask = true;
        else if (o == QLatin1String("spacing") || o == QLatin1String("leading")) {
            if (i + 1 >= r.words.size())
                return r.fail(QStringLiteral("%1 needs a value").arg(o));
            if (!r.integer(++i, -999, 999, o == QLatin1String("spacing") ? t.spacing : t.leading))
                return false;
        } else
            return r.fail(QStringLiteral("unknown text option \"%1\"").arg(o));
    }
    return true;
}
// ---- end of text tool

bool parseWords(CLineReader &r, SInputStep &s)
{
    const QString &w = r.words[0];
    if (w == QLatin1String("press") || w == QLatin1String("release")) {
        s.kind = w == QLatin1String("press") ? eInputStepKind::Press : eInputStepKind::Release;
        if (!r.count(3, 3 + 5))
            return false;
        const QString &b = r.words[1];
        if (b == QLatin1String("L"))
            s.button = eInputButton::Left;
        else if (b == QLatin1String("R"))
            s.button = eInputButton::Right;
        else if (b == QLatin1String("M"))
            s.button = eInputButton::Middle;
        else
            return r.fail(QStringLiteral("%1 takes the button L, R or M, not \"%2\"").arg(w, b));
        return r.position(2, s) && r.modifiers(4, s);
    }
    if (w == QLatin1String("move")) {
        s.kind = eInputStepKind::Move;
        return r.count(2, 2 + 5) && r.position(1, s) && r.modifiers(3, s);
    }
    if (w == QLatin1String("tablet")) {
        s.kind = eInputStepKind::Tablet;
        const double range = kMaxCoordinate;
        if (!r.count(3, 4) || !r.real(1, -range, range, s.x) || !r.real(2, -range, range, s.y) ||
            !r.real(3, 0.0, 1.0, s.pressure))
            return false;
        if (r.words.size() == 5 && r.words[4] != QLatin1String("eraser"))
            return r.fail(QStringLiteral("tablet takes \"eraser\" last, not \"%1\"").arg(r.words[4]));
        s.on = r.words.size() == 5;
        return true;
    }
    if (w == QLatin1String("proximity")) {
        s.kind = eInputStepKind::Proximity;
        return r.count(1, 1) && r.choice(1, "in", "out", s.on);
    }
    if (w == QLatin1String("key")) {
        s.kind = eInputStepKind::Key;
        if (!r.count(2, 3) || !r.choice(1, "down", "up", s.on))
            return false;
        const std::optional<int32_t> vk = virtualKeyFromName(r.words[2]);
        if (!vk)
            return r.fail(QStringLiteral("unknown key \"%1\"").arg(r.words[2]));
        s.vk = *vk;
        if (r.words.size() == 4 && r.words[3] != QLatin1String("repeat"))
            return r.fail(QStringLiteral("key takes \"repeat\" last, not \"%1\"").arg(r.words[3]));
        s.repeat = r.words.size() == 4;
        return true;
    }
    if (w == QLatin1String("tool")) {
        s.kind = eInputStepKind::Tool;
        if (!r.count(1, 1))
            return false;
        const std::optional<TToolSubKind> k = toolSubKindFromName(r.words[1]);
        if (!k)
            return r.fail(QStringLiteral("unknown tool \"%1\"").arg(r.words[1]));
        s.subKind = *k;
        return true;
    }
    if (w == QLatin1String("level")) {
        s.kind = eInputStepKind::Level;
        int32_t n = 0;
        if (!r.count(1, 1) || !r.integer(1, 1, 5, n))
            return false;
        switch (n) {
        case 1:
            s.level = ePaintLevel::PAINT_LEVEL_qZ1;
            return true;
        case 2:
            s.level = ePaintLevel::PAINT_LEVEL_qZ2;
            return true;
        case 4:
            s.level = ePaintLevel::PAINT_LEVEL_qZ4;
            return true;
        case 5:
            s.level = ePaintLevel::PAINT_LEVEL_qZ5;
            return true;
        default:
            return r.fail(QStringLiteral("level takes 1, 2, 4 or 5, not %1").arg(n));
        }
    }
    if (w == QLatin1String("zoom")) {
        s.kind = eInputStepKind::Zoom;
        if (!r.count(1, 1))
            return false;
        const QStringList parts = r.words[1].split(u':');
        if (parts.size() != 2)
            return r.fail(QStringLiteral("zoom takes N:D, not \"%1\"").arg(r.words[1]));
        r.words = QStringList{w, parts[0], parts[1]};
        return r.integer(1, 1, 1000, s.num) && r.integer(2, 1, 1000, s.den);
    }
    if (w == QLatin1String("rotate")) {
        s.kind = eInputStepKind::Rotate;
        return r.count(1, 1) && r.real(1, -3600.0f, 3600.0f, s.degrees);
    }
    if (w == QLatin1String("scroll")) {
        s.kind = eInputStepKind::Scroll;
        return r.count(2, 2) && r.integer(1, -kMaxCoordinate, kMaxCoordinate, s.dx) &&
               r.integer(2, -kMaxCoordinate, kMaxCoordinate, s.dy);
    }
    if (w == QLatin1String("hscroll") || w == QLatin1String("vscroll")) {
        s.kind = w == QLatin1String("hscroll") ? eInputStepKind::HScrollBar
                                                : eInputStepKind::VScrollBar;
        static const std::array<const char *, 9> kCodes = {
            "lineup", "linedown", "pageup", "pagedown", "position",
            "track",  "top",      "bottom", "endscroll",
        };
        if (!r.count(2, 2))
            return false;
        const auto code = std::find_if(kCodes.begin(), kCodes.end(), [&](const char *c) {
            return r.words[1] == QLatin1String(c);
        });
        if (code == kCodes.end())
            return r.fail(QStringLiteral("unknown scroll code \"%1\"").arg(r.words[1]));
        s.scrollCode = uint8_t(code - kCodes.begin());
        return r.integer(2, -kMaxCoordinate, kMaxCoordinate, s.dx);
    }
    if (w == QLatin1String("grid")) {
        s.kind = eInputStepKind::Grid;
        if (!r.count(1, 1))
            return false;
        if (r.words[1] == QLatin1String("off")) {
            s.on = false;
            return true;
        }
        s.on = true;
        return r.integer(1, 2, 10000, s.dx);
    }
    if (w == QLatin1String("snap")) {
        s.kind = eInputStepKind::Snap;
        return r.count(1, 1) && r.choice(1, "on", "off", s.on);
    }
    if (w == QLatin1String("client")) {
        s.kind = eInputStepKind::Client;
        return r.count(2, 2) && r.integer(1, 0, 20000, s.dx) && r.integer(2, 0, 20000, s.dy);
    }
    // ---- free transform (free_transform.cpp)
    if (w == QLatin1String("transform")) {
        s.kind = eInputStepKind::Transform;
        return r.count(1, 1) && r.choice(1, "select", "layer", s.on);
    }
    // ---- end of free transform
    // ---- text tool (text_tool.cpp)
    if (w == QLatin1String("text"))
        return parseTextWords(r, s);
    // ---- end of text tool
    // ---- tool window (toolform/palette_steps.cpp)
    if (w == QLatin1String("palette")) {
        s.kind = eInputStepKind::Palette;
        if (!r.count(2, 6))
            return false;
        const QString &op = r.words[1];
        s.name = r.words[2];
        if (op == QLatin1String("detail")) {
            s.num = int32_t(ePaletteStep::Detail);
            if (!toolDetailFromName(s.name))
                return r.fail(QStringLiteral("unknown tool detail \"%1\"").arg(s.name));
            return r.count(2, 2);
        }
        if (op == QLatin1String("key")) {
            s.num = int32_t(ePaletteStep::Key);
            const std::optional<int32_t> vk = virtualKeyFromName(s.name);
            if (!vk)
                return r.fail(QStringLiteral("unknown key \"%1\"").arg(s.name));
            s.vk = *vk;
            return r.modifiers(3, s);
        }
        if (op == QLatin1String("value")) {
            s.num = int32_t(ePaletteStep::Value);
            if (!isPaletteModelName(s.name))
                return r.fail(QStringLiteral("unknown value \"%1\"").arg(s.name));
            return r.count(3, 3) && r.real<float>(3, -100000.0f, 100000.0f, s.degrees);
        }
        if (op == QLatin1String("click")) {
            s.num = int32_t(ePaletteStep::Click);
            if (!isPaletteControlName(s.name))
                return r.fail(QStringLiteral("unknown control \"%1\"").arg(s.name));
            return r.count(2, 2);
        }
        return r.fail(QStringLiteral("palette takes detail, key, value or click, not \"%1\"").arg(op));
    }
    // ---- end of tool window
    static const std::array<std::pair<const char *, eInputStepKind>, 6> kPlain = {{
        {"tick", eInputStepKind::Tick},
        {"mirror", eInputStepKind::Mirror},
        {"undo", eInputStepKind::Undo},
        {"redo", eInputStepKind::Redo},
        {"activate", eInputStepKind::Activate},
        {"deactivate", eInputStepKind::Deactivate},
    }};
    for (const auto &[name, kind] : kPlain)
        if (w == QLatin1String(name)) {
            s.kind = kind;
            return r.count(0, 0);
        }
    return r.fail(QStringLiteral("unknown step \"%1\"").arg(w));
}

} // namespace

std::optional<TToolSubKind> toolSubKindFromName(QStringView name)
{
    bool ok = false;
    const int n = name.toInt(&ok, 10);
    if (ok)
        return n >= 0 && n < kToolSubKindCount ? std::optional(TToolSubKind(n)) : std::nullopt;
    if (name.startsWith(QLatin1String("tsk"), Qt::CaseInsensitive))
        name = name.mid(3);
    for (size_t i = 0; i < kSubKindNames.size(); ++i)
        if (name.compare(QLatin1String(kSubKindNames[i]), Qt::CaseInsensitive) == 0)
            return TToolSubKind(i);
    return std::nullopt;
}

std::optional<int32_t> virtualKeyFromName(QStringView name)
{
    bool ok = false;
    // Base 0: "0x2E" as hex, "46" as decimal. A single digit is the digit key's name below.
    if (name.size() > 1) {
        const int n = name.toInt(&ok, 0);
        if (ok)
            return n >= 1 && n <= 254 ? std::optional(n) : std::nullopt;
    }
    for (int32_t vk = 1; vk <= 254; ++vk) {
        QString text;
        if (keyNameOfVk(vk, text) &&
            name.compare(text.remove(u' '), Qt::CaseInsensitive) == 0)
            return vk;
    }
    return std::nullopt;
}

bool parseInputStep(QStringView text, int32_t line, std::optional<SInputStep> &step,
                    QString &error)
{
    step.reset();
    // ---- text tool (text_tool.cpp): its words may be quoted
    if (text.trimmed().startsWith(QLatin1String("text ")) ||
        text.trimmed().startsWith(QLatin1String("text\t"))) {
        CLineReader q{line, {}, {}};
        if (!splitQuotedWords(text, q)) {
            error = q.error;
            return false;
        }
        SInputStep s;
        s.line = line;
        if (!parseWords(q, s)) {
            error = q.error;
            return false;
        }
        step = s;
        return true;
    }
    // ---- end of text tool
    const qsizetype hash = text.indexOf(u'#');
    if (hash >= 0)
        text = text.left(hash);
    CLineReader r{line, text.toString().simplified().split(u' ', Qt::SkipEmptyParts), {}};
    if (r.words.isEmpty())
        return true;
    SInputStep s;
    s.line = line;
    if (!parseWords(r, s)) {
        error = r.error;
        return false;
    }
    step = s;
    return true;
}

bool parseInputScript(const QString &text, std::vector<SInputStep> &steps, QString &error)
{
    steps.clear();
    int32_t line = 0;
    for (QStringView l : QStringView(text).split(u'\n')) {
        std::optional<SInputStep> s;
        if (!parseInputStep(l, ++line, s, error)) {
            steps.clear();
            return false;
        }
        if (s)
            steps.push_back(*s);
    }
    return true;
}

namespace {

int32_t buttonKey(eInputButton b)
{
    switch (b) {
    case eInputButton::Right:
        return VK_RBUTTON;
    case eInputButton::Middle:
        return VK_MBUTTON;
    default:
        return VK_LBUTTON;
    }
}

TMouseButton mouseButton(eInputButton b)
{
    switch (b) {
    case eInputButton::Right:
        return TMouseButton::mbRight;
    case eInputButton::Middle:
        return TMouseButton::mbMiddle;
    default:
        return TMouseButton::mbLeft;
    }
}

// The modifiers a pointer step names are held while it runs, on top of what is held already.
class CHeldModifiers
{
  public:
    explicit CHeldModifiers(uint8_t mods)
    {
        const std::array<std::pair<uint8_t, int32_t>, 4> keys = {{
            {imShift, VK_SHIFT},
            {imCtrl, VK_CONTROL},
            {imAlt, VK_MENU},
            {imSpace, VK_SPACE},
        }};
        for (const auto &[bit, vk] : keys)
            if ((mods & bit) != 0 && !isKeyDown(vk)) {
                setKeyDown(vk, true);
                m_pressed.push_back(vk);
            }
    }
    ~CHeldModifiers()
    {
        for (int32_t vk : m_pressed)
            setKeyDown(vk, false);
    }
    CHeldModifiers(const CHeldModifiers &) = delete;
    CHeldModifiers &operator=(const CHeldModifiers &) = delete;

  private:
    std::vector<int32_t> m_pressed;
};

// The shift state of a pointer event: held modifiers and buttons (the pressed button included,
// the released one not), and the double click.
TShiftState shiftState(uint8_t mods)
{
    uint8_t b = 0;
    if (isKeyDown(VK_SHIFT))
        b |= TShiftState::ssShift;
    if (isKeyDown(VK_CONTROL))
        b |= TShiftState::ssCtrl;
    if (isKeyDown(VK_MENU))
        b |= TShiftState::ssAlt;
    if (isKeyDown(VK_LBUTTON))
        b |= TShiftState::ssLeft;
    if (isKeyDown(VK_RBUTTON))
        b |= TShiftState::ssRight;
    if (isKeyDown(VK_MBUTTON))
        b |= TShiftState::ssMiddle;
    if ((mods & imDouble) != 0)
        b |= TShiftState::ssDouble;
    return TShiftState(b);
}

bool pointerStep(TDrawWindow &w, const SInputStep &s)
{
    const CHeldModifiers held(s.mods);
    const int32_t x = int32_t(s.x), y = int32_t(s.y);
    switch (s.kind) {
    case eInputStepKind::Press:
        setKeyDown(buttonKey(s.button), true);
        w.FormMouseDown(mouseButton(s.button), shiftState(s.mods), x, y);
        break;
    case eInputStepKind::Release:
        setKeyDown(buttonKey(s.button), false);
        w.FormMouseUp(mouseButton(s.button), shiftState(s.mods), x, y);
        break;
    default:
        w.FormMouseMove(shiftState(s.mods), x, y);
        break;
    }
    return true;
}

// Key messages as the widget sends them: with Alt held (or for F10 and Alt itself) the system
// key messages. Bit 30 of the key data marks a repeat; a key-up has bits 30 and 31 and the
// modifiers without the buttons.
bool keyStep(TDrawWindow &w, const SInputStep &s)
{
    const uint32_t vk = uint32_t(s.vk);
    const bool sys = s.vk == VK_F1 + 9 || s.vk == VK_MENU || isKeyDown(VK_MENU);
    if (s.on) {
        setKeyDown(s.vk, true);
        const uint32_t data = s.repeat ? 1u << 30 : 0;
        if (sys)
            w.sysKeyDownMessage(vk, data);
        else
            w.keyDownMessage(vk, data);
    } else {
        setKeyDown(s.vk, false);
        if (sys)
            w.sysKeyUpMessage(vk, (1u << 30) | (1u << 31));
        else
            w.FormKeyUp(vk, TShiftState(uint8_t(shiftState(0).bits & (TShiftState::ssShift |
                                                                      TShiftState::ssAlt |
                                                                      TShiftState::ssCtrl))));
    }
    return true;
}

// The pen ends a tablet reports; made once, kept for the process (Qt holds on to devices).
const QPointingDevice *penDevice(bool eraser)
{
    static const QPointingDevice *pen =
        new QPointingDevice(QStringLiteral("input script pen"), 0x5C0001,
                            QInputDevice::DeviceType::Stylus, QPointingDevice::PointerType::Pen,
                            QInputDevice::Capability::Position | QInputDevice::Capability::Pressure,
                            1, 3);
    static const QPointingDevice *rubber = new QPointingDevice(
        QStringLiteral("input script eraser"), 0x5C0002, QInputDevice::DeviceType::Stylus,
        QPointingDevice::PointerType::Eraser,
        QInputDevice::Capability::Position | QInputDevice::Capability::Pressure, 1, 3);
    return eraser ? rubber : pen;
}

// A pen event handed to the process's tablet, whose context queues its packet and posts the
// message to its window; the message is delivered at once.
bool penEvent(QEvent::Type type, const QPointF &screen, qreal pressure, bool eraser)
{
    TWinTab32 *tab = mainForm().tablet();
    if (!tab || !tab->isOpened() || !tab->m_hwnd || !QCoreApplication::instance())
        return false;
    QObject *target = tab->m_hwnd;
    if (type == QEvent::TabletEnterProximity || type == QEvent::TabletLeaveProximity) {
        QTabletEvent ev(type, penDevice(eraser), screen, screen, 0, 0, 0, 0, 0, 0, Qt::NoModifier,
                        Qt::NoButton, Qt::NoButton);
        QCoreApplication::sendEvent(target, &ev);
    } else {
        // Lifting the tip is a release: its packet carries no pressure.
        const bool up = type == QEvent::TabletRelease;
        QTabletEvent ev(type, penDevice(eraser), screen, screen, up ? 0 : pressure, 0, 0, 0, 0, 0,
                        Qt::NoModifier, Qt::LeftButton, up ? Qt::NoButton : Qt::LeftButton);
        QCoreApplication::sendEvent(target, &ev);
    }
    QCoreApplication::sendPostedEvents(target, TWindowMessageEvent::eventType());
    return true;
}

} // namespace

bool applyInputStep(TDrawWindow &w, const SInputStep &s)
{
    switch (s.kind) {
    case eInputStepKind::Press:
    case eInputStepKind::Release:
    case eInputStepKind::Move:
        return pointerStep(w, s);
    case eInputStepKind::Tablet:
        return penEvent(s.pressure > 0 ? QEvent::TabletMove : QEvent::TabletRelease,
                        QPointF(s.x, s.y), s.pressure, s.on);
    case eInputStepKind::Proximity:
        return penEvent(s.on ? QEvent::TabletEnterProximity : QEvent::TabletLeaveProximity,
                        QPointF(), 0, false);
    case eInputStepKind::Key:
        return keyStep(w, s);
    case eInputStepKind::Tool:
        mainForm().toolForm().ChangeToolSubMode(s.subKind, true);
        return mainForm().toolForm().FToolSubMode() == s.subKind;
    case eInputStepKind::Level:
        return w.switchPaintLevel(s.level);
    case eInputStepKind::Tick:
        w.TimerAutoScroll.fire();
        return true;
    case eInputStepKind::Zoom:
        w.changeZoom(s.num, s.den, false);
        return true;
    case eInputStepKind::Rotate:
        w.dispatchRotate(s.degrees, true);
        return true;
    case eInputStepKind::Mirror:
        w.dispatchReverse(true);
        return true;
    case eInputStepKind::Scroll:
        w.scrollViewBy(s.dx, s.dy);
        return true;
    case eInputStepKind::Undo:
        return w.Undo();
    case eInputStepKind::Redo:
        return w.Redo();
    case eInputStepKind::Activate:
        w.FormActivate();
        return true;
    case eInputStepKind::Deactivate:
        w.FormDeactivate();
        return true;
    case eInputStepKind::HScrollBar:
        w.ScrollBar1Scroll(TScrollCode(s.scrollCode), s.dx);
        return true;
    case eInputStepKind::VScrollBar:
        w.ScrollBar2Scroll(TScrollCode(s.scrollCode), s.dx);
        return true;
    case eInputStepKind::Grid:
        if (s.on)
            w.paper->SetGrid(true, s.dx, s.dx, false);
        else
            w.paper->SetGrid(false, w.paper->m_gridSize.x, w.paper->m_gridSize.y, false);
        return true;
    case eInputStepKind::Snap:
        if (w.bSnap != s.on)
            w.changeSnap();
        return true;
    case eInputStepKind::Client:
        w.FormResize({s.dx, s.dy});
        return true;
    // ---- free transform (free_transform.cpp)
    case eInputStepKind::Transform:
        return s.on ? w.transformSelect() : w.transformLayer();
    // ---- end of free transform
    // ---- text tool (text_tool.cpp)
    case eInputStepKind::Text:
        return applyTextStep(w, s);
    // ---- end of text tool
    // ---- tool window (toolform/palette_steps.cpp)
    case eInputStepKind::Palette:
        return applyPaletteStep(s);
    // ---- end of tool window
    }
    return false;
}

bool CHeadlessTabletTarget::open()
{
    TWinTab32 *tab = mainForm().tablet();
    return tab && tab->Open(this);
}

bool CHeadlessTabletTarget::event(QEvent *e)
{
    if (e->type() != TWindowMessageEvent::eventType())
        return QObject::event(e);
    if (TDrawWindow *w = mainForm().activeWindow())
        w->tabletMessage(static_cast<TWindowMessageEvent *>(e)->message());
    return true;
}
