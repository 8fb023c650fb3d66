// Feeds outside bytes to the single-instance channel the way a connection delivers them: requests
// are taken off the front until the rest is incomplete or bad, each answered as the running
// instance answers it. A request taken must encode back to the bytes it came from.
#include "app/startup/single_instance.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray buffer(reinterpret_cast<const char *>(data), qsizetype(size));
    for (;;) {
        const QByteArray before = buffer;
        instance::SInstanceFrame frame;
        if (instance::readFrame(buffer, frame) != instance::eFrameRead::Complete)
            break;
        const QByteArray encoded = instance::encodeFrame(frame);
        if (encoded.isEmpty() || !before.startsWith(encoded) ||
            buffer.size() != before.size() - encoded.size())
            std::abort();
        // The answers; the opens they queue never run (there is no event loop here).
        handleInstanceRequest(frame);
        if (pathOfPayload(frame.payload).size() > frame.payload.size() / 2)
            std::abort();
    }
    return 0;
}
