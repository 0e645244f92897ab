#include "ui/main_window.h"

namespace sb {

void MainWindow::Inizializza_Finestra() {}
void MainWindow::Command1_Click() {}
void MainWindow::Command2_Click() {}
void MainWindow::Command7_Click() {}
void MainWindow::Command8_Click() {}
void MainWindow::Command3_Click() {}
void MainWindow::Command4_Click() {}
void MainWindow::Command6_Click() {}
void MainWindow::Text2_KeyPress(int) {}

}  // namespace sb
