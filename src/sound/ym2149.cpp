#include "sound/ym2149.h"

namespace kestrel {

void PsgEnvelope::setPeriodLow(uint8_t value) {
    const int32_t p = (((period / 256) & 0xFF00) | value) * 256;
    period = p ? p : 128;
}

void PsgEnvelope::setPeriodHigh(uint8_t value) {
    const int32_t p = ((value * 256) | ((period / 256) & 0xFF)) * 256;
    period = p ? p : 128;
}

void PsgEnvelope::setShape(uint8_t value) {
    if (value == 255) return;  // the usual "leave it alone" value: no restart
    shape = value & 15;
    if (shape & 4) {
        direction = 1;
        base = 0;
    } else {
        direction = -1;
        base = 31;
    }
    counter &= 0xFF;
}

void PsgEnvelope::endOfCycle() {
    switch (shape) {
    case 8:
        direction = -1;
        base = 31;
        break;
    case 10:
    case 14:
        direction = -direction;
        base = 31 - base;
        break;
    case 11:
    case 13:
        direction = 0;
        base = 31;
        break;
    case 12:
        direction = 1;
        break;
    default:  // 0-7, 9, 15: hold at 0
        direction = 0;
        base = 0;
        if (shape == 3) counter = 0;
        break;
    }
}

void Ym2149::setClock(uint64_t hz) {
    const auto h = static_cast<uint32_t>(hz);
    toneStep = (h * 512u / 16u + 24000u) / 48000u;
    envelope.step = ((h & 0xFFFFFFu) + 24000u) / 48000u;
    reset();
}

void Ym2149::reset() {
    for (PsgTone& c : channel) c = PsgTone{};
    noise.reset();
    mixerEnable = 63;
    envelope.reset();
}

void Ym2149::write(uint8_t reg, uint8_t value) {
    switch (reg) {
    case 0:
    case 2:
    case 4: {
        PsgTone& c = channel[reg / 2];
        const uint32_t p = (value * 256u) | (c.period & 0xF0000u);
        c.period = p ? p : 256;
        break;
    }
    case 1:
    case 3:
    case 5: {
        PsgTone& c = channel[reg / 2];
        const uint32_t p = ((value & 15u) * 65536u) | (c.period & 0xFF00u);
        c.period = p ? p : 256;
        break;
    }
    case 6: {
        const uint32_t p = (value * 256u) & 0x1F00u;
        noise.period = p ? p : 256;
        break;
    }
    case 7:
        mixerEnable = (value ^ 0x3Fu) & 0x3Fu;
        break;
    case 8:
    case 9:
    case 10: {
        PsgTone& c = channel[reg - 8];
        c.volume = value & 15u;
        c.useEnvelope = (value & 16u) != 0;
        break;
    }
    case 11:
        envelope.setPeriodLow(value);
        break;
    case 12:
        envelope.setPeriodHigh(value);
        break;
    case 13:
        envelope.setShape(value);
        break;
    default:  // 14, 15: I/O ports with nothing attached
        break;
    }
}

void Ym2149::render(uint16_t* out, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        const int32_t level = envelope.next() & 31;
        noise.next(toneStep);
        uint32_t sample = 0;
        for (int ch = 2; ch >= 0; --ch) {
            PsgTone& c = channel[static_cast<std::size_t>(ch)];
            c.next(toneStep);
            const uint32_t toneOff = ((mixerEnable >> ch) & 1) ^ 1;
            const uint32_t noiseOff = ((mixerEnable >> (ch + 3)) & 1) ^ 1;
            const uint32_t gate = (c.output | toneOff) & (noise.bit | noiseOff);
            const uint32_t amplitude = c.useEnvelope ? kLevels[static_cast<std::size_t>(level)] : kLevels[2 * c.volume];
            sample += (gate * amplitude) >> 3;
        }
        out[i] = static_cast<uint16_t>(sample);
    }
}

}  // namespace kestrel
