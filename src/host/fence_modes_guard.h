// Sets the host's fence modes for the length of a scope and puts the user's modes back on
// every way out, so that a failed search or walk does not leave the user's fence behaving
// differently. Optionally clears the fence too, for scopes that define one of their own.
#pragma once

#include "host/host.h"

namespace zkl {

// Under these modes a fence takes in everything it overlaps, inside or across.
inline constexpr FenceModes OverlapFenceModes{true, false, false};

class FenceModesGuard {
public:
    enum class OnExit { KeepFence, ClearFence };

    FenceModesGuard(Host& host, const FenceModes& modes, OnExit onExit = OnExit::KeepFence)
        : host_(host), saved_(host.GetFenceModes()), onExit_(onExit) {
        host_.SetFenceModes(modes);
    }
    ~FenceModesGuard() {
        try {
            host_.SetFenceModes(saved_);
            if (onExit_ == OnExit::ClearFence) host_.ClearFence();
        } catch (const HostError&) {
            // Restoring must not replace the error that is already on its way out.
        }
    }
    FenceModesGuard(const FenceModesGuard&) = delete;
    FenceModesGuard& operator=(const FenceModesGuard&) = delete;

private:
    Host& host_;
    FenceModes saved_;
    OnExit onExit_;
};

}  // namespace zkl
