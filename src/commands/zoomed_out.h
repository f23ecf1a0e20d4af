// The view zoomed out while a pass places labels, and put back exactly as it was afterwards,
// also when the pass fails: the factors 100 and 0.01 alone would leave rounding behind.
#pragma once

#include "host/host.h"
#include "host/host_error.h"

namespace zkl {

class ZoomedOut {
public:
    explicit ZoomedOut(Host& host) : host_(host), view_(host.LastInputView()), saved_(host.GetViewArea(view_)) {
        host_.ZoomView(view_, host_.ViewReferencePoint(view_), 100.0);
    }
    ~ZoomedOut() {
        try {
            if (!restored_) host_.SetViewArea(view_, saved_);
        } catch (const HostError&) {
            // The pass's own error is the one to report; the view is only a view.
        }
    }
    // Zooms back in by the same factor, as the labeller does, then puts the area back.
    void ZoomBack() {
        host_.ZoomView(view_, host_.ViewReferencePoint(view_), 0.01);
        host_.SetViewArea(view_, saved_);
        restored_ = true;
    }
    ZoomedOut(const ZoomedOut&) = delete;
    ZoomedOut& operator=(const ZoomedOut&) = delete;

private:
    Host& host_;
    int view_;
    ViewArea saved_;
    bool restored_ = false;
};

}  // namespace zkl
