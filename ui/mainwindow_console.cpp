// Test console of the main window: connection modes, client list, send and
// receive, relay and input panels.
#include "mainwindow.h"

#include "cmsocket.h"
#include "lampwidget.h"
#include "ui_mainwindow.h"

void TFrmMain::setupConsole() {
    // Wiring of the console controls and timers goes here.

    // Start-up layout: the design's mode without touching the button caption.
    applyConsoleModeLayout(m_ui->Cmb_TCPMode->currentIndex(), false);
    UpdateConsoleLabels();
}

void TFrmMain::consoleReceive(TcmSocket *, int, quint16, quint32, const char *, int) {}

void TFrmMain::MySocketAccept(TcmSocket *, int, quint32, quint16) {}

void TFrmMain::MySocketActiveChanged(TcmSocket *) {}

void TFrmMain::MySocketDiscard(TcmSocket *, int, quint32, quint16) {}

void TFrmMain::MySocketError(TcmSocket *, int, const QByteArray &) {}

void TFrmMain::applyConsoleModeLayout(int index, bool withButtonCaption) {
    Ui::TFrmMain &u = *m_ui;
    if (index == 0) {
        MySocket->Protocol = cmTcpServer;
        // The client list takes the place of the destination address.
        u.Edt_RemoteIP->hide();
        u.Cmb_RemoteIP->move(u.Edt_RemoteIP->pos());
        u.Cmb_RemoteIP->raise();
        u.Cmb_RemoteIP->show();
        u.Cmb_RemotePort->show();
        if (withButtonCaption)
            u.But_TCPCtl->setText(QStringLiteral("监听"));
    } else {
        MySocket->Protocol = index == 1 ? cmTcpClient : cmUDP;
        u.Edt_RemoteIP->show();
        u.Cmb_RemoteIP->hide();
        u.Cmb_RemotePort->hide();
        if (withButtonCaption)
            u.But_TCPCtl->setText(QStringLiteral("连接"));
        u.But_UDPFind->setEnabled(true);
    }
    if (index == 0 || index == 2) {
        u.Label17->setText(QStringLiteral("电脑IP:"));
        u.Label18->setText(QStringLiteral("电脑端口："));
    }
}

void TFrmMain::UpdateConsoleLabels() {
    Ui::TFrmMain &u = *m_ui;
    if (MySocket->Protocol == cmTcpServer || MySocket->Protocol == cmUDP) {
        u.Label_IP->setText(QStringLiteral("目的IP："));
        u.Label_Port->setText(QStringLiteral("目的端口："));
        u.Label_IP->show();
        u.Label_Port->show();
        u.Edt_RemoteIP->show();
        u.Edt_RemotePort->show();
        u.But_TCPCtl->setText(QStringLiteral("建立"));
    } else if (MySocket->Protocol == cmTcpClient) {
        u.But_TCPCtl->setText(QStringLiteral("连接"));
        u.But_UDPFind->setEnabled(true);
    }
}
