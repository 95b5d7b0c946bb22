import QtQuick 2.14

// A link's state beside its group's title: a coloured dot and a few words.
Row {
    property var link // a ServiceConnection
    readonly property string linkState: link ? link.state : "stopped"
    spacing: 5
    height: 16

    Rectangle {
        width: 8
        height: 8
        radius: 4
        anchors.verticalCenter: parent.verticalCenter
        color: linkState === "connected" ? "#4caf50"
             : linkState === "stopped" ? "#757575" : "#ffb300"
    }
    Text {
        objectName: parent.objectName + "Text"
        anchors.verticalCenter: parent.verticalCenter
        color: "#ababab"
        font.pixelSize: 12
        text: linkState === "connected" ? qsTr("на связи")
            : linkState === "connecting" ? qsTr("соединяемся")
            : linkState === "reconnecting" ? qsTr("переподключение через %1 с").arg(link.retrySeconds)
            : qsTr("остановлен")
    }
}
