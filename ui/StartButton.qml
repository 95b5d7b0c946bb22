import QtQuick 2.14
import QtQuick.Controls 2.14
import QtQuick.Controls.Material 2.14

// A service's start button: its caption and colour are the service's state.
Button {
    property bool running
    x: 150
    width: 100
    height: 22
    padding: 0
    topInset: 0
    bottomInset: 0
    Material.background: running ? Material.Red : Material.Green
    text: running ? qsTr("Выйти") : qsTr("Зайти")
}
