// The shared reader of image packets (group 12 and the texture statuses 128 and 129): the
// descriptor, the optional layer header, the name and the top-down 32-bit pixels, every size
// checked against the image and the packet before anything is made.
#pragma once

#include "document/events/event_packets.h"
#include "format/layer_header.h"

#include <QByteArray>

#include <memory>
#include <span>

class TMTC;

struct SEvImagePacket
{
    SEvImageDesc desc;
    bool hasHeader = false;
    SOlyHeader header{};
    QByteArray name; // the raw name bytes (8-bit or UTF-16 by the packet's code)
    std::unique_ptr<TMTC> image;
};

// False for a hasHeader other than 0 or 1, a bpp other than 32, sides outside 1..10000, dataBytes
// beyond the image or the packet, a total beyond the packet, or an image that cannot be made.
bool readImagePacket(std::span<const uint8_t> body, SEvImagePacket &out);
