// One drawing pass at a time: the current target lives in a thread-local slot that owns it.
#include <memory>

#include "runtime/image/draw_target_internal.h"
#include "runtime/image/image.h"

namespace {

thread_local std::unique_ptr<DrawTarget> current;

// Frees the current target; with `runFinish` its finishing action runs first.
void dropCurrent(bool runFinish) {
    std::unique_ptr<DrawTarget> target = std::move(current);
    if (target && runFinish && target->finish != nullptr) {
        target->finish(target->context);
    }
}

}  // namespace

DrawTarget* surfaceTarget(PixelSurface* surface, void (*finish)(void* context), void* context) {
    // A target made while another is current closes that one as endDrawing would, so that its
    // finishing action (a repaint) is not lost and its record not leaked.
    dropCurrent(true);
    current = std::make_unique<DrawTarget>();
    current->surface = surface;
    current->finish = finish;
    current->context = context;
    return current.get();
}

int beginDrawing(DrawTarget* target) {
    // Only the current target can be opened; anything else is a stale or foreign pointer and
    // is not touched.
    if (target == nullptr || target != current.get()) {
        return 0;
    }
    PixelSurface* surface = target->surface;
    if (surface == nullptr || surface->pixels.empty() || surface->width <= 0 || surface->height <= 0) {
        dropCurrent(false);
        return 0;
    }
    target->open = true;
    return 1;
}

void endDrawing() { dropCurrent(true); }

PixelSurface* currentSurface() {
    DrawTarget* target = openDrawTarget();
    return target != nullptr ? target->surface : nullptr;
}

DrawTarget* openDrawTarget() {
    DrawTarget* target = current.get();
    if (target == nullptr || !target->open || target->surface == nullptr) {
        return nullptr;
    }
    return target;
}

void forgetSurface(const PixelSurface* surface) {
    if (current && current->surface == surface) {
        current->surface = nullptr;
    }
}
