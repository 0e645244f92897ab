#include "ui/main_window.h"

namespace sb {

void MainWindow::Image2_Click(int) {}

}  // namespace sb
