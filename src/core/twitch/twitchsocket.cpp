#include "twitchsocket.h"

TwitchSocket::TwitchSocket(QObject *parent)
    : QObject(parent)
{
}
