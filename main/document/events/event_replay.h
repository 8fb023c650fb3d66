// The replay dispatch table: one row per packet (group, code), each reading the packet's body and
// performing what was recorded, with undo off. The player checks a body against the loaded data
// before a row runs and hands the row only that body, so a row can never read past its packet.
//
// A row is either registered (by the family that builds its operation, in initialiseEventReplay)
// or the packet is refused: an unregistered row fails the step with its group, code and the
// reason given by refuseEventReplay (an operation not built yet), never a stub that plays nothing.
#pragma once

#include "document/events/event_packets.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <span>

class CEventMngr;
class TPaper;

// A row: code is the packet's code, body its whole body (fixed part and trailing bytes).
// True when the packet was read and performed; a bad packet answers false and changes nothing.
using fptrEventReplay = std::function<bool(CEventMngr &mngr, TPaper &paper, uint8_t code,
                                           std::span<const uint8_t> body)>;

struct SEvReplayRow
{
    QString name;    // the row's name for debug lines
    QString refusal; // why an unregistered row is refused
    fptrEventReplay fn;
    bool registered() const { return bool(fn); }
};

void registerEventReplay(uint8_t group, uint8_t code, const QString &name, fptrEventReplay fn);
// Names the reason a row that is not registered is refused (its operation is not built yet).
void refuseEventReplay(uint8_t group, uint8_t code, const QString &why);
const SEvReplayRow &eventReplayRow(SEventHdr hdr);
// Registers every row built so far (once; later calls do nothing).
void initialiseEventReplay();

// The document operations that the status rows 2, 8 and 12 call to bring the document into the
// recorded state. They are installed by the families that build them; while one is missing, a
// status that needs it to change the document is refused naming it, and one that asks for no
// change plays.
struct SEvReplayOps
{
    std::function<bool(TPaper &, uint32_t color)> editPC;       // EventEditPC
    std::function<bool(TPaper &, int32_t layer)> layerActive;   // EventLayerActive
    std::function<bool(TPaper &, int32_t mask)> selectActivate; // eventSelectActivate
    std::function<bool(TPaper &, bool enable)> maskEnable;      // eventMaskEnable
};
SEvReplayOps &eventReplayOps();

// ---- The rows of this family (event_replay_handlers.cpp) ----
bool playStatusPacket(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body);
bool playInfoPacket(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body);
bool playDocumentControl(CEventMngr &mngr, TPaper &paper, uint8_t code,
                         std::span<const uint8_t> body);
bool playLayerAttr(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body);
