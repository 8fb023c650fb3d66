// Builds files of the oldest layered image layout (document/files/legacy_image.h) for tests and
// fixtures, field by field.
#pragma once

#include <QByteArray>
#include <QtEndian>

#include <cstdint>
#include <optional>
#include <vector>

struct LegacyImageBuilder
{
    LegacyImageBuilder(int32_t w, int32_t h) : width(w), height(h) {}

    // One layer: its attributes and its run-length data.
    void layer(uint8_t mode, uint8_t trans, bool visible, const QByteArray &runs)
    {
        layers.push_back({mode, trans, visible, runs});
    }

    // Runs that repeat one colour for n pixels.
    static QByteArray fill(int32_t n, uint8_t r, uint8_t g, uint8_t b)
    {
        QByteArray out;
        while (n > 0) {
            const int32_t k = n < 124 ? n : 124;
            out += char(k);
            out += char(r);
            out += char(g);
            out += char(b);
            n -= k;
        }
        return out;
    }

    // The smallest event stream: create w x h, end.
    static QByteArray createEvents(uint16_t w, uint16_t h)
    {
        QByteArray e;
        put<uint16_t>(e, 512);
        put<uint16_t>(e, w);
        put<uint16_t>(e, h);
        put<uint16_t>(e, 0xFFFF);
        return e;
    }

    QByteArray bytes() const
    {
        QByteArray b("WPB2");
        put<uint32_t>(b, noImage ? 1 : 0);
        put<int32_t>(b, width);
        put<int32_t>(b, height);
        put<uint32_t>(b, canvasColor);
        const int32_t count = int32_t(layers.size());
        b += char(highestOverride ? *highestOverride : (count > 0 ? count - 1 : 0));
        b += char(active);
        b += char(noAppend ? 1 : 0);
        put<uint32_t>(b, eventSizeOverride ? *eventSizeOverride : uint32_t(events.size()));
        b += QByteArray(4, '\0');
        if (!noImage) {
            for (const Layer &l : layers) {
                b += char(l.mode);
                b += char(l.trans);
                b += char(l.visible ? 1 : 0);
                b += QByteArray(4, '\0');
                put<uint32_t>(b, uint32_t(l.runs.size()));
                b += l.runs;
            }
        }
        return b + events;
    }

    template <class T> static void put(QByteArray &b, T v)
    {
        char tmp[sizeof(T)];
        qToLittleEndian<T>(v, tmp);
        b.append(tmp, sizeof(T));
    }

    struct Layer
    {
        uint8_t mode;
        uint8_t trans;
        bool visible;
        QByteArray runs;
    };
    int32_t width, height;
    bool noImage = false;
    uint32_t canvasColor = 0x00FFFFFF;
    uint8_t active = 0;
    bool noAppend = false;
    std::vector<Layer> layers;
    QByteArray events;
    std::optional<int32_t> highestOverride;
    std::optional<uint32_t> eventSizeOverride;
};
