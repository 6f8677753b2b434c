// Placeholder until the platform implementation lands: the component exists,
// can be configured and never touches the network.
#include "cmsocket.h"

TcmSocket::TcmSocket(QObject *owner)
    : QObject(owner)
    , m_Connections(new cm_Server_Connections)
{
}

TcmSocket::~TcmSocket()
{
    free_connection_list(m_Connections, false);
}

void TcmSocket::SetActive(bool value)
{
    if (value == m_Active)
        return;
    value ? Open() : Close();
}

void TcmSocket::SetBufferSize(int size) { m_MaxBufSize = size; }
int TcmSocket::Create(TcmSocketProtocol protocol) { Protocol = protocol; return -1; }
void TcmSocket::Open() {}
void TcmSocket::Close() { m_Active = false; }
bool TcmSocket::Bind(const QString &, unsigned) { return false; }
bool TcmSocket::Connect(const QString &, unsigned) { return false; }
void TcmSocket::DeclareConnect(bool) {}
int TcmSocket::Accept() { return -1; }
bool TcmSocket::Listen(int) { return false; }
bool TcmSocket::SendTo(quint32, quint16, const char *, int) { return false; }
bool TcmSocket::SendTo(const QString &, quint16, const char *, int) { return false; }
bool TcmSocket::SendTo(int, const char *, int) { return false; }
int TcmSocket::Receive(char *, int, int, sockaddr_in *) { return 0; }
void TcmSocket::reg_connections(long, bool) {}

void TcmSocket::free_connection_list(cm_Server_Connections *list, bool keep)
{
    if (!list)
        return;
    for (cm_Connection *node = list->first; node;) {
        cm_Connection *next = node->next;
        delete node;
        node = next;
    }
    if (keep)
        *list = cm_Server_Connections{};
    else
        delete list;
}

bool TcmSocket::wsa_startup() { return true; }
bool TcmSocket::isValidIP(const char *) { return false; }
quint32 TcmSocket::IP_UnicastToBroadcast(quint32 ip) { return ip; }
quint32 TcmSocket::get_ip_data(const QString &, TcmCastMode) { return 0; }
QString TcmSocket::BroadcastIP(const QString &) { return {}; }
QString TcmSocket::HostName() { return {}; }
QString TcmSocket::HostIP(quint32) { return {}; }
int TcmSocket::ErrorCheck(int result, const char *) { return result; }
void TcmSocket::ShowError(const QByteArray &, int) {}
QByteArray TcmSocket::MapErrorCode(int) { return {}; }
