// kavrin-replay: plays an event file into a headless document and writes the composite as PNG.
//
//   kavrin-replay FILE -o OUT.png [--dump] [--blank-start]
//
// A `.wpe` stream, or the stream inside a `.wpb` image, of the oldest generation is played from its
// own canvas creation, one instruction a step (--dump prints each step's offset, code and name).
//
// --dump prints every step (offset, its packets as group/code/length, the dotted name of its
// operation and the result), then the count of each operation as "name<TAB>count".
// Without --blank-start the stream plays from its own canvas creation, and recordings of version
// 32 or later then paint at the newest levels, as the document window starts them.
// --blank-start replaces the canvas creation by a blank document of its size (one layer,
// transparent when the creation says so), for streams whose creation cannot be played yet.
// Exit codes: 0 done, 1 bad arguments, 2 the file cannot be read (its status code is printed),
// 3 a step failed (its offset and row are printed), 4 the PNG cannot be written.
#include "core/image/canvas.h"
#include "core/profile/app_profile.h"
#include "document/events/event_codes.h"
#include "document/events/event_file.h"
#include "document/events/event_manager.h"
#include "document/events/event_replay.h"
#include "document/events/legacy_event_stream.h"
#include "document/events/legacy_replay.h"
#include "document/files/legacy_image.h"
#include "document/paper/document_init.h"
#include "document/paper/headless.h"
#include "document/paper/headless_app.h"
#include "document/paper/headless_owner.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/stroke/paper_stroke.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "document/view/composition.h"
#include "document/view/outside_picture.h"
#include "filters/commands/filter_replay_rows.h"
#include "filters/core/pixel_mechanics.h"
#include "paint/gradient/gradient_manager.h"
#include "paint/presets/pen_presets.h"
#include "paint/render/pen_render4.h"
#include "paint/render/pen_render5.h"
#include "paint/stroke/stroke.h"
#include "paint/tone/tone_manager.h"
#include "tool_support.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QImage>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

const char *resultName(eEvPlayStat r)
{
    switch (r) {
    case eEvPlayStat::epsContinue:
        return "continue";
    case eEvPlayStat::epsWait:
        return "wait";
    case eEvPlayStat::epsEnd:
        return "end";
    default:
        return "error";
    }
}

// The document's picture as other programs should read it (alpha kept under a hidden canvas
// colour).
bool writePng(TPaper &paper, const QString &path)
{
    TMTC picture;
    return composeOutsidePicture(paper, picture) && tool::writePicture(picture.imageView(), path);
}

// The oldest stream of path (a `.wpe` file, or a `.wpb` image's events) played into a fresh
// document; exit codes as main's.
int playLegacy(const QString &path, const QString &out, bool dump)
{
    CHeadlessPaperOwner owner;
    std::unique_ptr<TPaper> paper = TPaper::Create(&owner);
    if (!paper) {
        tool::fail(path, QStringLiteral("no document can be made"));
        return 2;
    }
    owner.attach(*paper);
    TEventPacket events;
    bool loaded;
    if (path.endsWith(QStringLiteral(".wpb"), Qt::CaseInsensitive)) {
        // The image is read only for its events; the replay makes the picture anew.
        CHeadlessPaperOwner scratchOwner;
        std::unique_ptr<TPaper> scratch = TPaper::Create(&scratchOwner);
        if (scratch) {
            scratchOwner.attach(*scratch);
            LoadFromFile2(*scratch, nullptr, path, events);
            scratchOwner.detach();
        }
        loaded = events.memory().writed() > 0;
    } else {
        TEventChecker check;
        loaded = events.LoadFromFile(path, check);
    }
    if (!loaded) {
        tool::fail(path, QStringLiteral("the event stream cannot be read"));
        owner.detach();
        return 2;
    }
    setCurrentDrawWindow(&owner);
    TStroke &stroke = *appMainStroke();
    bool refresh = false;
    uint16_t inst = 0;
    for (int step = 0; step < 10000000; ++step) {
        const int32_t from = events.memory().position();
        const bool goOn = EventAnalyze(*paper, nullptr, events, stroke, &owner, refresh, inst);
        if (dump)
            std::printf("%d\t%u\t%s\t%s\n", from, inst, legacyInstructionName(inst),
                        goOn ? "continue" : "end");
        if (!goOn || (events.memory().ReadRemain() == 0 && !events.isStroking()))
            break;
    }
    int rc = 0;
    if (paper->getLayerCount() == 0) {
        tool::fail(path, QStringLiteral("the stream made no canvas"));
        rc = 3;
    } else {
        if (!writePng(*paper, out))
            rc = 4;
    }
    setCurrentDrawWindow(nullptr);
    owner.detach();
    return rc;
}

} // namespace

const char kUsage[] =
    "usage: kavrin-replay FILE -o OUT.png [--dump] [--blank-start]\n"
    "  plays an event file (.qe5, or the oldest .wpe stream and the stream inside a .wpb\n"
    "  image) into a headless document and writes the composed picture (the extension picks\n"
    "  the format: .png, .bmp, .jpg...)\n"
    "  --dump         print every step, then the count of each operation\n"
    "  --blank-start  start from a blank document of the creation's size\n"
    "exit 0 done, 1 bad arguments, 2 the file cannot be read, 3 a step failed, 4 the picture\n"
    "cannot be written\n";

int main(int argc, char **argv)
{
    tool::startTool("kavrin-replay");
    const QStringList args = tool::toolArguments(argc, argv);
    if (tool::asksForHelp(args))
        return tool::printHelp(kUsage);
    // Qt sees only the tool's name: the arguments are the tool's.
    int qtArgc = 1;
    QCoreApplication qapp(qtArgc, argv);
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("the event file"));
    parser.addOption(
        {{QStringLiteral("o")}, QStringLiteral("the PNG to write"), QStringLiteral("out")});
    parser.addOption({QStringLiteral("dump"), QStringLiteral("print every step")});
    parser.addOption({QStringLiteral("blank-start"),
                      QStringLiteral("start from a blank document of the creation's size")});
    if (!parser.parse(QStringList{QStringLiteral("kavrin-replay")} + args) ||
        parser.positionalArguments().size() != 1 || !parser.isSet(QStringLiteral("o"))) {
        if (!parser.errorText().isEmpty())
            tool::fail(parser.errorText());
        return tool::usageError(kUsage, 1);
    }
    if (!tool::checkPictureOutput(parser.value(QStringLiteral("o"))))
        return 1;
    const bool dump = parser.isSet(QStringLiteral("dump"));

    CHeadlessPaperApp app;
    initialiseDocument();
    // The document's own rows first, then the filters' entries over the rows it refuses.
    initialiseFilters();
    initialiseEventReplay();
    installFilterReplayEntries();
    const QString file = parser.positionalArguments()[0];
    if (file.endsWith(QStringLiteral(".wpe"), Qt::CaseInsensitive) ||
        file.endsWith(QStringLiteral(".wpb"), Qt::CaseInsensitive))
        return playLegacy(file, parser.value(QStringLiteral("o")), dump);
    CHeadlessPaperOwner owner;
    std::unique_ptr<TPaper> paper = TPaper::Create(&owner);
    if (!paper) {
        tool::fail(file, QStringLiteral("no document can be made"));
        return 2;
    }
    owner.attach(*paper);
    CEventMngr &ev = paper->eventMngr();

    const uint8_t code = loadEventFile(parser.positionalArguments()[0], *paper);
    if (code != 0) {
        tool::fail(file, tool::fileStatusText(code));
        owner.detach();
        return 2;
    }
    owner.eventPlaying = true;
    setCurrentDrawWindow(&owner);
    eEvStartStat start;
    if (parser.isSet(QStringLiteral("blank-start"))) {
        start = ev.beginPlayingBlank([&](int32_t pw, int32_t ph, bool transparent) {
            if (!setupHeadlessPaper(*paper, {pw, ph}, 0xFFFFFF, 1) || !startPaintModeQZ5(*paper))
                return false;
            // The work image was loaded from the transparent layer: it is loaded again, or
            // strokes would paint as on a transparent layer.
            if (!transparent) {
                paper->getLayerData(0)->fillAlpha(255);
                if (!paper->setFlow(*paper->getActiveFlow(), 0, true))
                    return false;
            }
            UpdateVRAM(*paper, false, true);
            return true;
        });
    } else {
        start = ev.beginPlaying(true);
        // As the document window does once the creation has played: recordings of version 32
        // or later paint at the newest levels.
        QString ext;
        if (start == eEvStartStat::ersOK && ev.getPlayFileVersion(ext) >= 32 &&
            !startPaintModeQZ5(*paper))
            start = eEvStartStat::ersErrOther;
    }
    if (start != eEvStartStat::ersOK) {
        // The program's own message, then what went wrong, on one line.
        QString why = CEventMngr::getPlayStartMessage(start).simplified();
        if (!ev.playError.isEmpty())
            why += QStringLiteral(": ") + ev.playError.simplified();
        tool::fail(file, why);
        owner.detach();
        return 3;
    }

    std::map<std::string, int> counts;
    int rc = 0;
    for (;;) {
        if (ev.playTopPos >= ev.topEventPos && !ev.evEnbStat.has(enbPlayStroke))
            break;
        const uint32_t from = ev.playTopPos;
        const eEvPlayStat r = ev.playEventSingle();
        const char *name = getEventCodeDotName(packetToEventCode(ev.playEventHdr));
        if (dump) {
            std::printf("%u", from);
            ev.walkPackets(from, std::max(from, std::min(ev.playTopPos, ev.topEventPos)),
                           [](const SEventPacketInfo &pk) {
                               std::printf(" %d/%d:%u", pk.hdr.group, pk.hdr.code, pk.bodyLen);
                               return true;
                           });
            std::printf("\t%s\t%s\n", name, resultName(r));
        }
        if (r == eEvPlayStat::epsError) {
            std::fflush(stdout);
            tool::fail(file, QStringLiteral("the step at offset %1 failed: %2")
                                 .arg(from)
                                 .arg(ev.playError.simplified()));
            rc = 3;
            break;
        }
        ++counts[name];
        if (r == eEvPlayStat::epsEnd)
            break;
    }
    if (dump)
        for (const auto &[name, n] : counts)
            std::printf("%s\t%d\n", name.c_str(), n);
    if (rc == 0 && !writePng(*paper, parser.value(QStringLiteral("o"))))
        rc = 4;
    owner.eventPlaying = false;
    setCurrentDrawWindow(nullptr);
    owner.detach();
    paper.reset();
    return rc;
}
