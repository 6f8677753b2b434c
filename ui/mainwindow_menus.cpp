// Settings file and menus of the main window.
#include "mainwindow.h"

#include "ui_mainwindow.h"

void TFrmMain::setupMenus() {
    // Wiring of the menu actions (N9 to N12, N3, N4) goes here.
}
