// First-order recursive filter; the sound stream uses it as a 50 Hz high-pass
// to turn the unsigned source levels into signed PCM centred on zero.
#pragma once

#include <cmath>
#include <cstdint>

namespace kestrel {

class OnePoleFilter {
public:
    enum Mode : int32_t { HighPass = 0, LowPass = 1 };

    OnePoleFilter(uint32_t cutoffHz = 50, Mode mode = HighPass) : cutoff_(cutoffHz), mode_(mode) {}

    // Filters 16-bit samples in place; each is read as signed.
    void process(uint16_t* samples, uint32_t count, uint32_t rate) {
        if (rate != rate_) {
            // Only when the rate changes: exp() has no place in the sample loop.
            rate_ = rate;
            alpha_ = std::exp(-6.283185307179586 * cutoff_ / rate_);
            oneMinusAlpha_ = 1.0 - alpha_;
        }
        double y = state_;
        for (uint32_t i = 0; i < count; ++i) {
            const int32_t x = static_cast<int16_t>(samples[i]);
            y = alpha_ * y + oneMinusAlpha_ * x;
            const auto t = static_cast<int32_t>(y + 0.5);
            samples[i] = static_cast<uint16_t>(mode_ == LowPass ? t : x - t);
        }
        state_ = y;
    }

    double state() const { return state_; }

private:
    uint32_t rate_ = 0;  // 0: coefficients computed on first use
    double oneMinusAlpha_ = 0;
    double alpha_ = 0;
    uint32_t cutoff_;
    double state_ = 0;
    Mode mode_;
};

}  // namespace kestrel
