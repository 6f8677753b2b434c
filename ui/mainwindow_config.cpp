// Configuration side of the main window: module search, module list,
// parameter query/set buttons, TimerRead/TimerOut and their replies.
#include "mainwindow.h"

#include "cmsocket.h"
#include "ui_mainwindow.h"

void TFrmMain::setupConfigSide() {
    // Wiring of the configuration controls and timers goes here.
}

void TFrmMain::configReceive(TcmSocket *, int, quint16, quint32, const char *, int) {
    // Search replies and parameter replies are handled here.
}
