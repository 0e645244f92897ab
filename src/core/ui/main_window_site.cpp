#include "ui/main_window.h"

namespace sb {

void MainWindow::Pulsante_Conferma_Click() {}

}  // namespace sb
