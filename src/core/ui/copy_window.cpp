#include "ui/copy_window.h"

#include "ui/window_designs.h"

namespace sb {

CopyWindow::CopyWindow(Module1& state) : WindowModel("Form2"), state_(state) {
    buildFromDesign(*this, kCopyWindowDesign);
    (void)state_;
}

}  // namespace sb
