#include "host/sdl_audio.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace kestrel {

namespace {
// Small enough that the position the latency control reads moves in steps
// well under one 20-ms frame.
constexpr uint16_t kDeviceSamples = 512;
}  // namespace

SdlAudioDriver::~SdlAudioDriver() { close(); }

bool SdlAudioDriver::open(uint32_t rate, std::string& error) {
    close();
    // SDL would otherwise take over SIGINT/SIGTERM and turn them into events
    // nobody reads here.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error = SDL_GetError();
        return false;
    }
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(rate);
    want.format = AUDIO_S16LSB;
    want.channels = 1;
    want.samples = kDeviceSamples;
    want.callback = &SdlAudioDriver::fill;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to the device's format itself, so the
    // callback always deals in 16-bit mono at `rate`.
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        error = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    device_ = device;
    bufferSamples_ = have.samples;
    ring_.fill(0);
    playPosition_.store(0, std::memory_order_relaxed);
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

void SdlAudioDriver::close() {
    if (device_ == 0) return;
    SDL_CloseAudioDevice(device_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    device_ = 0;
    bufferSamples_ = 0;
}

void SdlAudioDriver::write(std::span<const int16_t> samples, uint32_t offset) {
    if (offset >= kRingBytes) return;
    uint32_t at = offset;
    for (const int16_t sample : samples) {
        const auto bits = static_cast<uint16_t>(sample);
        ring_[at] = static_cast<uint8_t>(bits & 0xFF);
        ring_[at + 1] = static_cast<uint8_t>(bits >> 8);
        at += 2;
        if (at >= kRingBytes) at = 0;
    }
    published_.fetch_add(1, std::memory_order_release);
}

void SdlAudioDriver::reset() {
    // Silence and back to the start of the ring, where the next frame goes.
    // Rare (machine reset), so a brief hold of the device lock is fine here.
    if (device_ != 0) SDL_LockAudioDevice(device_);
    ring_.fill(0);
    playPosition_.store(0, std::memory_order_release);
    if (device_ != 0) SDL_UnlockAudioDevice(device_);
}

void SdlAudioDriver::pause() {
    if (device_ != 0) SDL_PauseAudioDevice(device_, 1);
}

void SdlAudioDriver::resume() {
    if (device_ != 0) SDL_PauseAudioDevice(device_, 0);
}

uint32_t SdlAudioDriver::position() const {
    return playPosition_.load(std::memory_order_acquire);
}

// SDL's audio thread: plays the ring from the play position and moves it on.
void SdlAudioDriver::fill(void* self, uint8_t* stream, int length) {
    auto& driver = *static_cast<SdlAudioDriver*>(self);
    driver.published_.load(std::memory_order_acquire);
    uint32_t at = driver.playPosition_.load(std::memory_order_relaxed);
    auto left = static_cast<uint32_t>(std::max(length, 0));
    while (left > 0) {
        const uint32_t piece = std::min(left, kRingBytes - at);
        std::memcpy(stream, driver.ring_.data() + at, piece);
        stream += piece;
        left -= piece;
        at += piece;
        if (at == kRingBytes) at = 0;
    }
    driver.playPosition_.store(at, std::memory_order_release);
}

}  // namespace kestrel
