// The Copy Window (Form2): copies or moves the image on view into a folder.
#pragma once

#include "app/state.h"
#include "platform.h"
#include "ui/window_model.h"

namespace sb {

class CopyWindow : public WindowModel {
public:
    explicit CopyWindow(Module1& state);

private:
    Module1& state_;
};

}  // namespace sb
